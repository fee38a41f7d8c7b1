#include "dialogs/other_tags_dialog.h"

#include "pgn/partie.h"
#include "pgn/pgn_header.h"
#include "resources/dialog_builder.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

using namespace pawnlet;

namespace {

constexpr int TagList = 1000;

void FillTagList(TemplateDialog& dialog, const Partie& partie) {
    auto* view = dialog.ControlAs<QTreeView>(TagList);
    if (!view) {
        return;
    }
    auto* model = new QStandardItemModel(0, 2, view);
    model->setHorizontalHeaderLabels(
        {QString::fromUtf16(OtherTagsTagColumn), QString::fromUtf16(OtherTagsValueColumn)});
    for (const PGNHeader* header = partie.extraTags.get(); header; header = header->next.get()) {
        auto* tag = new QStandardItem(QString::fromStdU16String(header->tag));
        auto* value = new QStandardItem(QString::fromStdU16String(header->value));
        tag->setEditable(false);
        value->setEditable(false);
        model->appendRow({tag, value});
    }
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setSortingEnabled(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->header()->setSectionsClickable(false);
    view->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    view->resizeColumnToContents(0);
    view->resizeColumnToContents(1);
}

} // namespace

int ShowOtherTagsDialog(QWidget* owner, Partie& partie) {
    DialogProcedure procedure;
    procedure.onInit = [&partie](TemplateDialog& dialog) {
        dialog.SetCaption(QStringLiteral("Other PGN Headers"));
        FillTagList(dialog, partie);
    };
    // Nothing here can be changed: OK and a close request both end with 2.
    procedure.onCommand = [](TemplateDialog& dialog, int id, int) {
        if (id != 1 && id != 2) {
            return false;
        }
        dialog.End(2);
        return true;
    };
    return RunDialog(OtherTagsTemplate, owner, std::move(procedure));
}
