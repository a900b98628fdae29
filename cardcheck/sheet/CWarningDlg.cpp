// SPDX-License-Identifier: MIT
#include "cardcheck/sheet/CWarningDlg.h"

#include "cardcheck/ui/ContextHelp.h"
#include "cardcheck/ui/PictureWindow.h"
#include "common/ui/DialogTemplate.h"
#include "ui_CWarningDlg.h"

#include <QIcon>
#include <QPushButton>

namespace velnet::cardcheck {

CWarningDlg::CWarningDlg(SheetContext& context, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::CWarningDlg>())
{
    ui_->setupUi(this);
    velnet::ui::DialogTemplate::apply(this, velnet::ui::DialogTemplate::Caption::WithContextHelp);
    help_ = new ContextHelp(this, {}, context.help);

    QIcon icon;
    for (int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/cardcheck/images/warning143-icon-%1.png").arg(size));
    setWindowIcon(icon);
    ui_->warningIcon->setPixmap(icon.pixmap(32, 32));

    if (PictureWindow* picture = PictureWindow::fromId(PictureWindow::Warning))
        picture->attach(this, 1088);

    ui_->buttonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(ui_->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CWarningDlg::~CWarningDlg() = default;

} // namespace velnet::cardcheck
