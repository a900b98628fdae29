// SPDX-License-Identifier: MIT
#include "cardcheck/ui/PropertyPage.h"

namespace velnet::cardcheck {

void PropertyPage::activate()
{
    if (!initialised_) {
        initialised_ = true;
        OnInitDialog();
    }
    OnSetActive();
}

} // namespace velnet::cardcheck
