#pragma once
// The few dialogs the libraries need. A library never opens a window itself:
// the host installs callbacks (the tester shows its own dialogs, zirokctl
// answers on stderr, tests script the answers). The hooks are plain globals
// for the one thread of control; install them before the libraries run.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zirok::platform {

// Message box buttons, icons and options: the Windows MB_ values, so the
// Windows backend passes them on unchanged.
namespace mb {
inline constexpr unsigned kOk = 0x0;
inline constexpr unsigned kOkCancel = 0x1;
inline constexpr unsigned kAbortRetryIgnore = 0x2;
inline constexpr unsigned kYesNoCancel = 0x3;
inline constexpr unsigned kYesNo = 0x4;
inline constexpr unsigned kRetryCancel = 0x5;
inline constexpr unsigned kButtonsMask = 0xF;
inline constexpr unsigned kIconError = 0x10;
inline constexpr unsigned kIconQuestion = 0x20;
inline constexpr unsigned kIconWarning = 0x30;
inline constexpr unsigned kIconInformation = 0x40;
inline constexpr unsigned kIconMask = 0xF0;
inline constexpr unsigned kDefaultButton2 = 0x100;
inline constexpr unsigned kDefaultButton3 = 0x200;
inline constexpr unsigned kSystemModal = 0x1000;
}  // namespace mb

// Answers: the Windows ID values.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

using MessageBoxHook =
    std::function<int(std::u16string_view text, std::u16string_view caption, unsigned flags)>;

// Shows `entries` (port friendly names) in an editable list with `prompt`,
// the first one selected. Returns the list's text when the user confirms (an
// entry, or what was typed), nothing on cancel; the caller cuts the port name
// out of it.
using ChoosePortHook = std::function<std::optional<std::u16string>(
    std::u16string_view caption, std::u16string_view prompt,
    const std::vector<std::u16string>& entries)>;

// Without a hook: the caption and the text go to stderr as one UTF-8 line and
// the box is answered as if the user declined: OK for a box with only an OK
// button, otherwise Cancel, or No for Yes/No, or Abort for
// Abort/Retry/Ignore. Nothing waits for a user who is not there.
int messageBox(std::u16string_view text, std::u16string_view caption, unsigned flags = mb::kOk);

// Without a hook: cancelled.
std::optional<std::u16string> choosePort(std::u16string_view caption, std::u16string_view prompt,
                                         const std::vector<std::u16string>& entries);

// Install a hook (an empty one restores the default); each returns the one it
// replaces.
MessageBoxHook setMessageBoxHook(MessageBoxHook hook);
ChoosePortHook setChoosePortHook(ChoosePortHook hook);

// Installs a hook for the life of the object, then puts the previous one back.
class ScopedMessageBoxHook {
  public:
    explicit ScopedMessageBoxHook(MessageBoxHook hook)
        : previous_(setMessageBoxHook(std::move(hook))) {}
    ~ScopedMessageBoxHook() { setMessageBoxHook(std::move(previous_)); }
    ScopedMessageBoxHook(const ScopedMessageBoxHook&) = delete;
    ScopedMessageBoxHook& operator=(const ScopedMessageBoxHook&) = delete;

  private:
    MessageBoxHook previous_;
};

class ScopedChoosePortHook {
  public:
    explicit ScopedChoosePortHook(ChoosePortHook hook)
        : previous_(setChoosePortHook(std::move(hook))) {}
    ~ScopedChoosePortHook() { setChoosePortHook(std::move(previous_)); }
    ScopedChoosePortHook(const ScopedChoosePortHook&) = delete;
    ScopedChoosePortHook& operator=(const ScopedChoosePortHook&) = delete;

  private:
    ChoosePortHook previous_;
};

}  // namespace zirok::platform
