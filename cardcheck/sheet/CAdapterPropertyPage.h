#pragma once

#include "sheet/PropertyPage.h"
#include "sheet/SheetContext.h"

namespace cardcheck {

// The "Properties" page.
class CAdapterPropertyPage : public PropertyPage
{
    Q_OBJECT

public:
    explicit CAdapterPropertyPage(SheetContext& context, QWidget* parent = nullptr);

private:
    SheetContext& context_;
};

} // namespace cardcheck
