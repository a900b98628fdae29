#pragma once

#include "sheet/PropertyPage.h"
#include "sheet/SheetContext.h"

namespace cardcheck {

// The "Support" page.
class CSupportPage : public PropertyPage
{
    Q_OBJECT

public:
    explicit CSupportPage(SheetContext& context, QWidget* parent = nullptr);

private:
    SheetContext& context_;
};

} // namespace cardcheck
