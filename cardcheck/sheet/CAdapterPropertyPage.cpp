#include "sheet/CAdapterPropertyPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace cardcheck {

CAdapterPropertyPage::CAdapterPropertyPage(SheetContext& context, QWidget* parent)
    : PropertyPage(parent), context_(context)
{
    setWindowTitle(QStringLiteral("Properties"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Properties"), this));
}

} // namespace cardcheck
