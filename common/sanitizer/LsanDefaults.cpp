// SPDX-License-Identifier: MIT
// Linked into the programs of the sanitizer build only, so that a program
// started by hand leaves out the same leaks of system libraries as the tests
// do. LSAN_OPTIONS, when set, still comes first.
extern "C" const char* __lsan_default_options()
{
    return "suppressions=" VELNET_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
