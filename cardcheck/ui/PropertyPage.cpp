#include "PropertyPage.h"

namespace cardcheck {

void PropertyPage::activate()
{
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    OnSetActive();
}

} // namespace cardcheck
