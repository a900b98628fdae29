// SPDX-License-Identifier: MIT
#pragma once

#include "cardcheck/ui/SheetContext.h"
#include "common/platform/FakeHelpViewer.h"
#include "common/registry/FileRegistry.h"
#include "tests/support/TempDir.h"

#include <string>

namespace velnet::cardcheck::test {

// What a cardcheck dialog gets from the program, made for one test case: a
// registry file in a folder of the case's own (empty until the case writes
// it) and a help viewer that records instead of showing.
class TestSheetContext
{
public:
    TestSheetContext() : store_(storeFile()), context_{store_, help_} {}
    TestSheetContext(const TestSheetContext&) = delete;
    TestSheetContext& operator=(const TestSheetContext&) = delete;

    SheetContext& context() { return context_; }
    velnet::registry::FileRegistry& store() { return store_; }
    velnet::platform::FakeHelpViewer& help() { return help_; }
    std::string storeFile() const { return dir_.file("registry.reg"); }

private:
    velnet::test::TempDir dir_;
    velnet::registry::FileRegistry store_;
    velnet::platform::FakeHelpViewer help_;
    SheetContext context_;
};

} // namespace velnet::cardcheck::test
