#include "BindingState.h"

namespace cardcheck {

BindingState& bindingState()
{
    static BindingState state;
    return state;
}

} // namespace cardcheck
