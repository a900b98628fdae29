#include "report/CSupportPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace cardcheck {

CSupportPage::CSupportPage(SheetContext& context, QWidget* parent)
    : PropertyPage(parent), context_(context)
{
    setWindowTitle(QStringLiteral("Support"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Support"), this));
}

} // namespace cardcheck
