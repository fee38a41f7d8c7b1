#include "platform/shell.h"

#include "platform/debug.h"

namespace pawnlet::platform {
namespace {

// Answers every question with "cancel" and writes messages to the debug output, so that code
// running without a user interface never blocks and never loses a message silently.
class SilentShell final : public Shell {
public:
    Answer MessageBox(Window, const std::u16string& text, const std::u16string& caption, Icon,
                      Buttons buttons) override {
        DebugOutput(caption);
        DebugOutput(std::string_view(": "));
        DebugOutput(text);
        DebugOutput(std::string_view("\n"));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
    int ChoosePromotionPiece() override { return 0; }
    int ShowGameList(Window, File&, std::uint64_t&, std::int32_t&) override { return DialogCancel; }
    int EditProperties(Window, Partie&) override { return DialogCancel; }
    int EditOtherTags(Window, Partie&) override { return DialogCancel; }
    std::optional<std::u16string> SaveFileName(Window, const std::u16string&,
                                               const std::vector<FileFilter>&) override {
        return std::nullopt;
    }
};

SilentShell silentShell;
Shell* installed = &silentShell;

} // namespace

Shell& CurrentShell() {
    return *installed;
}

Shell* SetShell(Shell* shell) {
    Shell* previous = installed == &silentShell ? nullptr : installed;
    installed = shell ? shell : &silentShell;
    return previous;
}

} // namespace pawnlet::platform
