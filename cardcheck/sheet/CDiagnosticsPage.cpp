#include "sheet/CDiagnosticsPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace cardcheck {

CDiagnosticsPage::CDiagnosticsPage(SheetContext& context, QWidget* parent)
    : PropertyPage(parent), context_(context)
{
    setWindowTitle(QStringLiteral("Diagnostics"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Diagnostics"), this));
}

} // namespace cardcheck
