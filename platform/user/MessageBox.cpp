#include "platform/user/MessageBox.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <span>

#include "platform/kernel/RunLog.h"
#include "platform/kernel/Utf.h"
#include "winuser.h"

namespace ce {
namespace {

constexpr UINT kButtonsMask = 0x0000000F;
constexpr UINT kDefaultButtonMask = 0x00000F00;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;

class MessageBoxes {
 public:
  static MessageBoxes& Instance();
  void SetPresenter(MessageBoxPresenter presenter) {
    std::lock_guard lock(mutex_);
    presenter_ = std::move(presenter);
  }

  int Show(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
    std::string line = MessageBoxLine(text, caption);
    LogLine(line);
    MessageBoxPresenter presenter;
    {
      std::lock_guard lock(mutex_);
      presenter = presenter_;
    }
    // Outside the lock: the presenter runs until the user answers, and the
    // program may open another message box meanwhile.
    if (presenter) return presenter(owner, text, caption, type);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    return DefaultButton(type);
  }

 private:
  std::mutex mutex_;
  MessageBoxPresenter presenter_;
};

MessageBoxes& MessageBoxes::Instance() {
  static MessageBoxes boxes;
  return boxes;
}

}  // namespace

// Button groups (the low four bits of the type) and which of the group's
// buttons is the default (MB_DEFBUTTON1..3).
std::span<const int> MessageBoxButtons(UINT type) {
  static constexpr std::array<int, 1> ok{IDOK};
  static constexpr std::array<int, 2> okCancel{IDOK, IDCANCEL};
  static constexpr std::array<int, 3> abortRetryIgnore{kIdAbort, kIdRetry, kIdIgnore};
  static constexpr std::array<int, 3> yesNoCancel{IDYES, IDNO, IDCANCEL};
  static constexpr std::array<int, 2> yesNo{IDYES, IDNO};
  static constexpr std::array<int, 2> retryCancel{kIdRetry, IDCANCEL};
  static constexpr std::array<std::span<const int>, 6> groups{ok, okCancel, abortRetryIgnore,
                                                              yesNoCancel, yesNo, retryCancel};
  const UINT group = type & kButtonsMask;
  return group < groups.size() ? groups[group] : groups[0];
}

// The answer of a user who presses the default button.
int DefaultButton(UINT type) {
  std::span<const int> buttons = MessageBoxButtons(type);
  const std::size_t index = (type & kDefaultButtonMask) >> 8;
  return index < buttons.size() ? buttons[index] : buttons[0];
}

const char16_t* MessageBoxButtonText(int id) {
  switch (id) {
    case IDOK: return u"OK";
    case IDCANCEL: return u"Cancel";
    case kIdAbort: return u"Abort";
    case kIdRetry: return u"Retry";
    case kIdIgnore: return u"Ignore";
    case IDYES: return u"Yes";
    case IDNO: return u"No";
    default: return u"";
  }
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { MessageBoxes::Instance().SetPresenter(std::move(presenter)); }

std::string MessageBoxLine(std::u16string_view text, std::u16string_view caption) {
  if (caption.empty()) return SingleLine(ToUtf8(text));
  return SingleLine(ToUtf8(caption) + ": " + ToUtf8(text));
}

}  // namespace ce

// The owner window is not checked yet: there are no windows until the
// window manager exists.
extern "C" int WINAPI MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  std::u16string_view text = lpText ? lpText : u"";
  std::u16string_view caption = lpCaption ? lpCaption : u"Error";
  return ce::MessageBoxes::Instance().Show(hWnd, text, caption, uType);
}
