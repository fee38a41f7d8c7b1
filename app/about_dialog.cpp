#include "app/about_dialog.h"

#include "resources/dialog_builder.h"

namespace {

constexpr int BuildStamp = 1015;

} // namespace

// PAWNLET_BUILD_DATE and PAWNLET_BUILD_TIME come from the build (app/CMakeLists.txt), in the
// compiler's __DATE__ and __TIME__ forms, and follow SOURCE_DATE_EPOCH.
QString BuildStampText() {
    return QStringLiteral("Built : %1 %2")
        .arg(QStringLiteral(PAWNLET_BUILD_DATE), QStringLiteral(PAWNLET_BUILD_TIME));
}

int ShowAboutDialog(QWidget* owner) {
    DialogProcedure procedure;
    procedure.onInit = [](TemplateDialog& dialog) { dialog.SetText(BuildStamp, BuildStampText()); };
    return RunDialog(AboutTemplate, owner, std::move(procedure));
}
