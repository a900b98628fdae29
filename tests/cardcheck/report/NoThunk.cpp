// SPDX-License-Identifier: MIT
// Stands in for a thunk library whose entry point is missing.
extern "C" int VxThunkVersion()
{
    return 1;
}
