#include "frontend/WindowFrontEnd.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <optional>

namespace hw {
namespace {

// The driver for the desktop's display; nullptr when there is none.
const char* DisplayDriver() {
  if (const char* forced = std::getenv("SDL_VIDEODRIVER"); forced && *forced) return forced;
  if (const char* display = std::getenv("DISPLAY"); display && *display) return "x11";
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) return "wayland";
  return nullptr;
}

std::optional<KeyCode> DeviceKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_LEFT: return KeyCode::Left;
    case SDLK_RIGHT: return KeyCode::Right;
    case SDLK_UP: return KeyCode::Up;
    case SDLK_DOWN: return KeyCode::Down;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return KeyCode::Return;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return KeyCode::Control;
    case SDLK_a: return Letter('A');
    case SDLK_q: return Letter('Q');
    default: return std::nullopt;
  }
}

}  // namespace

WindowFrontEnd::WindowFrontEnd(Panel& panel, InputDevice& input, int scale, FrontEndHooks hooks)
    : panel_(panel), input_(input), scale_(scale), hooks_(std::move(hooks)) {}

std::unique_ptr<WindowFrontEnd> WindowFrontEnd::Open(Panel& panel, InputDevice& input, int scale,
                                                     FrontEndHooks hooks, std::string& whyNot,
                                                     const char* videoDriver) {
  if (!videoDriver) videoDriver = DisplayDriver();
  if (!videoDriver) {
    whyNot = "there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return nullptr;
  }
  std::unique_ptr<WindowFrontEnd> frontEnd(new WindowFrontEnd(panel, input, scale, std::move(hooks)));
  std::promise<bool> opened;
  std::future<bool> ready = opened.get_future();
  std::string driver(videoDriver);
  frontEnd->thread_ = std::thread([fe = frontEnd.get(), driver, &whyNot, &opened] {
    fe->Run(driver.c_str(), whyNot, &opened);
  });
  if (!ready.get()) {
    frontEnd->thread_.join();
    return nullptr;
  }
  return frontEnd;
}

WindowFrontEnd::~WindowFrontEnd() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void WindowFrontEnd::Raise() {
  raise_ = true;
  Refresh();
}

void WindowFrontEnd::Refresh() {
  SDL_Event wake{};
  wake.type = SDL_USEREVENT;
  SDL_PushEvent(&wake);
}

std::vector<std::uint32_t> WindowFrontEnd::LastFrame() const {
  std::lock_guard lock(frameMutex_);
  return lastFrame_;
}

std::uint64_t WindowFrontEnd::WaitForFrames(std::uint64_t seen, int timeoutMs) const {
  std::unique_lock lock(frameMutex_);
  framePresented_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return frames_ > seen; });
  return frames_;
}

void WindowFrontEnd::Run(const char* videoDriver, std::string& whyNot, std::promise<bool>* opened) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, videoDriver);
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    whyNot = std::string("the display cannot be opened (") + SDL_GetError() + ")";
    opened->set_value(false);
    return;
  }
  SDL_Window* window = SDL_CreateWindow("Ondrel handheld", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        Panel::kWidth * scale_, Panel::kHeight * scale_, 0);
  // A 480 x 640 picture needs no graphics card; the software renderer
  // works on every display, offscreen too.
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
  SDL_Texture* texture = renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                                      Panel::kWidth, Panel::kHeight)
                                  : nullptr;
  if (!texture) {
    whyNot = std::string("the window cannot be opened (") + SDL_GetError() + ")";
    if (renderer) SDL_DestroyRenderer(renderer);
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    opened->set_value(false);
    return;
  }
  opened->set_value(true);

  while (!stop_) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, 15)) {
      do Handle(&event);
      while (SDL_PollEvent(&event));
    }
    if (raise_.exchange(false)) SDL_RaiseWindow(window);
    if (panel_.frame() != shownFrame_) Present(renderer, texture);
  }
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

void WindowFrontEnd::Present(void* rendererPtr, void* texturePtr) {
  auto* renderer = static_cast<SDL_Renderer*>(rendererPtr);
  auto* texture = static_cast<SDL_Texture*>(texturePtr);
  shownFrame_ = panel_.frame();
  std::vector<std::uint32_t> pixels = panel_.Visible();
  SDL_UpdateTexture(texture, nullptr, pixels.data(), Panel::kWidth * sizeof(std::uint32_t));
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  SDL_RenderPresent(renderer);
  {
    std::lock_guard lock(frameMutex_);
    lastFrame_ = std::move(pixels);
    ++frames_;
  }
  framePresented_.notify_all();
}

void WindowFrontEnd::Handle(const void* eventPtr) {
  const SDL_Event& event = *static_cast<const SDL_Event*>(eventPtr);
  switch (event.type) {
    case SDL_QUIT:
      if (hooks_.onClose) hooks_.onClose();
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED) shownFrame_ = ~std::uint64_t{0};
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button != SDL_BUTTON_LEFT) break;
      penDown_ = true;
      input_.PenDown(event.button.x / scale_, event.button.y / scale_);
      break;
    case SDL_MOUSEMOTION:
      if (penDown_) input_.PenMove(event.motion.x / scale_, event.motion.y / scale_);
      break;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT || !penDown_) break;
      penDown_ = false;
      input_.PenUp(event.button.x / scale_, event.button.y / scale_);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const bool down = event.type == SDL_KEYDOWN;
      if (event.key.keysym.sym == SDLK_F5) {
        if (down && !event.key.repeat && hooks_.onCardToggle) hooks_.onCardToggle();
        break;
      }
      auto key = DeviceKey(event.key.keysym.sym);
      if (!key) break;
      if (down) input_.KeyDown(*key);
      else input_.KeyUp(*key);
      break;
    }
    default:
      break;
  }
}

}  // namespace hw
