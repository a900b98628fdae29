#pragma once

#include "sheet/PropertyPage.h"
#include "sheet/SheetContext.h"

namespace cardcheck {

// The "Diagnostics" page.
class CDiagnosticsPage : public PropertyPage
{
    Q_OBJECT

public:
    explicit CDiagnosticsPage(SheetContext& context, QWidget* parent = nullptr);

private:
    SheetContext& context_;
};

} // namespace cardcheck
