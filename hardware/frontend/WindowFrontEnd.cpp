#include "hardware/frontend/WindowFrontEnd.h"

#include <SDL.h>

#include <cmath>
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

bool SdlWaitBlocks(std::string_view driver) { return driver == "x11" || driver == "wayland"; }

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

WindowFrontEnd::WindowFrontEnd(Panel& panel, InputDevice& input, int scale, FrontEndHooks hooks,
                               bool sdlWaitBlocks)
    : panel_(panel), input_(input), scale_(scale), hooks_(std::move(hooks)), sdlWaitBlocks_(sdlWaitBlocks) {}

std::unique_ptr<WindowFrontEnd> WindowFrontEnd::Open(Panel& panel, InputDevice& input, int scale,
                                                     FrontEndHooks hooks, std::string& whyNot,
                                                     const char* videoDriver) {
  if (!videoDriver) videoDriver = DisplayDriver();
  if (!videoDriver) {
    whyNot = "there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    return nullptr;
  }
  std::unique_ptr<WindowFrontEnd> frontEnd(
      new WindowFrontEnd(panel, input, scale, std::move(hooks), SdlWaitBlocks(videoDriver)));
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
  panel.SetChangeListener([fe = frontEnd.get()] { fe->Wake(); });
  return frontEnd;
}

WindowFrontEnd::~WindowFrontEnd() {
  if (thread_.joinable()) {
    panel_.SetChangeListener({});
    stop_ = true;
    Wake();
    thread_.join();
  }
}

void WindowFrontEnd::Raise() {
  raise_ = true;
  Wake();
}

void WindowFrontEnd::Resize(int width, int height) {
  {
    std::lock_guard lock(frameMutex_);
    resizeWidth_ = width;
    resizeHeight_ = height;
  }
  Wake();
}

void WindowFrontEnd::Wake() {
  if (wakePending_.exchange(true)) return;  // already woken, not yet looked
  if (sdlWaitBlocks_) {
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
    return;
  }
  std::lock_guard lock(wakeMutex_);
  wake_.notify_one();
}

void WindowFrontEnd::WaitForWork() {
  if (sdlWaitBlocks_) {
    SDL_Event event;
    if (SDL_WaitEvent(&event)) Handle(&event);
    return;
  }
  std::unique_lock lock(wakeMutex_);
  wake_.wait(lock, [this] { return wakePending_.load(); });
}

std::vector<std::uint32_t> WindowFrontEnd::LastFrame() const {
  std::lock_guard lock(frameMutex_);
  return lastFrame_;
}

PanelPicture WindowFrontEnd::Picture() const {
  std::lock_guard lock(frameMutex_);
  return picture_;
}

std::uint64_t WindowFrontEnd::WaitForFrames(std::uint64_t seen, int timeoutMs) const {
  std::unique_lock lock(frameMutex_);
  framePresented_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return frames_ > seen; });
  return frames_;
}

void WindowFrontEnd::Run(const char* videoDriver, std::string& whyNot, std::promise<bool>* opened) {
  SDL_SetHint(SDL_HINT_VIDEODRIVER, videoDriver);
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The software renderer draws straight into the window's own pixels;
  // a graphics-card surface behind it would only add a copy (and, on a
  // desktop without one, a software GL with threads of its own).
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    whyNot = std::string("the display cannot be opened (") + SDL_GetError() + ")";
    opened->set_value(false);
    return;
  }
  SDL_Window* window = SDL_CreateWindow("Ondrel handheld", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                        Panel::kWidth * scale_, Panel::kHeight * scale_, SDL_WINDOW_RESIZABLE);
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
  SDL_SetWindowMinimumSize(window, Panel::kWidth, Panel::kHeight);
  FitPicture(window, renderer);
  opened->set_value(true);

  while (!stop_) {
    if (redraw_) FitPicture(window, renderer);
    PresentIfChanged(renderer, texture);
    WaitForWork();
    wakePending_ = false;  // from here on, a new change wakes the next wait
    TakeRequests(window);
    for (SDL_Event event; SDL_PollEvent(&event);) Handle(&event);
  }
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  SDL_Quit();
}

// What other threads asked for: the window in front, a new size.
void WindowFrontEnd::TakeRequests(void* windowPtr) {
  auto* window = static_cast<SDL_Window*>(windowPtr);
  if (raise_.exchange(false)) SDL_RaiseWindow(window);
  int width = 0, height = 0;
  {
    std::lock_guard lock(frameMutex_);
    std::swap(width, resizeWidth_);
    std::swap(height, resizeHeight_);
  }
  if (width > 0 && height > 0) SDL_SetWindowSize(window, width, height);
}

void WindowFrontEnd::FitPicture(void* windowPtr, void* rendererPtr) {
  int windowWidth = 0, windowHeight = 0, outputWidth = 0, outputHeight = 0;
  SDL_GetWindowSize(static_cast<SDL_Window*>(windowPtr), &windowWidth, &windowHeight);
  SDL_GetRendererOutputSize(static_cast<SDL_Renderer*>(rendererPtr), &outputWidth, &outputHeight);
  std::lock_guard lock(frameMutex_);
  picture_ = PanelPicture::Fit(outputWidth, outputHeight);
  outputPerWindowX_ = windowWidth > 0 ? double(outputWidth) / windowWidth : 1.0;
  outputPerWindowY_ = windowHeight > 0 ? double(outputHeight) / windowHeight : 1.0;
}

void WindowFrontEnd::PresentIfChanged(void* rendererPtr, void* texturePtr) {
  const std::uint64_t frame = panel_.frame();
  if (frame == shownFrame_ && !redraw_) return;
  shownFrame_ = frame;
  std::vector<std::uint32_t> pixels = panel_.TakeVisible();
  SDL_Rect where;
  {
    std::lock_guard lock(frameMutex_);
    if (!redraw_ && pixels == lastFrame_) return;  // drawn again just as it was
    where = SDL_Rect{picture_.x, picture_.y, picture_.width(), picture_.height()};
  }
  redraw_ = false;
  auto* renderer = static_cast<SDL_Renderer*>(rendererPtr);
  auto* texture = static_cast<SDL_Texture*>(texturePtr);
  SDL_UpdateTexture(texture, nullptr, pixels.data(), Panel::kWidth * sizeof(std::uint32_t));
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  SDL_RenderClear(renderer);
  SDL_RenderCopy(renderer, texture, nullptr, &where);
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
      if (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        redraw_ = true;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONUP:
      HandlePen(eventPtr);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      // The keypad repeats a held key on the handheld's clock; the
      // desktop's own repeats would only queue up behind a busy program.
      if (event.key.repeat) break;
      const bool down = event.type == SDL_KEYDOWN;
      if (event.key.keysym.sym == SDLK_F5) {
        if (down && hooks_.onCardToggle) hooks_.onCardToggle();
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

// A press beside the picture is not on the panel; once the pen is down it
// follows the mouse, held at the panel's edge when the mouse leaves it.
void WindowFrontEnd::HandlePen(const void* eventPtr) {
  const SDL_Event& event = *static_cast<const SDL_Event*>(eventPtr);
  const bool motion = event.type == SDL_MOUSEMOTION;
  if (!motion && event.button.button != SDL_BUTTON_LEFT) return;
  PanelPicture picture;
  double perX, perY;
  {
    std::lock_guard lock(frameMutex_);
    picture = picture_;
    perX = outputPerWindowX_;
    perY = outputPerWindowY_;
  }
  const int x = static_cast<int>(std::floor((motion ? event.motion.x : event.button.x) * perX));
  const int y = static_cast<int>(std::floor((motion ? event.motion.y : event.button.y) * perY));
  if (event.type == SDL_MOUSEBUTTONDOWN) {
    auto at = picture.PanelPointAt(x, y);
    if (!at) return;
    penDown_ = true;
    input_.PenDown(at->x, at->y);
    return;
  }
  if (!penDown_) return;
  const PanelPicture::Point at = picture.NearestPanelPoint(x, y);
  if (motion) {
    input_.PenMove(at.x, at.y);
    return;
  }
  penDown_ = false;
  input_.PenUp(at.x, at.y);
}

}  // namespace hw
