#include "app/about_dialog.h"

#include "resources/dialog_builder.h"

namespace {

constexpr int BuildStamp = 1015;

} // namespace

QString BuildStampText() {
    return QStringLiteral("Built : %1 %2").arg(QStringLiteral(__DATE__), QStringLiteral(__TIME__));
}

int ShowAboutDialog(QWidget* owner) {
    DialogProcedure procedure;
    procedure.onInit = [](TemplateDialog& dialog) { dialog.SetText(BuildStamp, BuildStampText()); };
    return RunDialog(AboutTemplate, owner, std::move(procedure));
}
