// SPDX-License-Identifier: MIT
#pragma once

#include "common/registry/FileRegistry.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velnet::nicsetup::test {

// The text of a fixture under tests/fixtures/nicsetup.
std::string fixtureText(const std::string& name);

// A store file of its own in a fresh temporary folder.
class TestStore
{
public:
    explicit TestStore(const std::string& regText);

    registry::FileRegistry& registry() { return *registry_; }
    const std::string& path() const { return registry_->path(); }
    // The store file as it is on disk now.
    std::string text() const;

private:
    velnet::test::TempDir dir_;
    std::unique_ptr<registry::FileRegistry> registry_;
};

// Every key of a .reg text (full path, lower case) with its values (by lower-
// case name).
using StoreSnapshot = std::map<std::string, std::map<std::string, registry::Value>>;
StoreSnapshot snapshotOf(const std::string& regText);

// One line per key or value in which the two differ; empty when they are equal.
std::vector<std::string> differences(const StoreSnapshot& expected, const StoreSnapshot& actual);

// Builds .reg text for the driver's keys.
class HiveBuilder
{
public:
    HiveBuilder();

    // Section headers and values are appended as given.
    HiveBuilder& key(const std::string& path);
    HiveBuilder& dword(const std::string& name, std::uint32_t value);
    HiveBuilder& text(const std::string& name, const std::string& value);

    // The Parameters key of instance N, with complete ACD values.
    HiveBuilder& instance(std::uint32_t n, std::uint32_t adapterNumber);
    HiveBuilder& networkCard(std::uint32_t n);

    const std::string& str() const { return text_; }

private:
    std::string text_;
};

// 800 instance keys for 50 adapters with 16 VLANs each, every text as long as
// its read limit allows; odd adapters have VLANs on, even ones off, and each
// even adapter is the backup of the odd one before it. Every instance has its
// network-card key, and the maker's key exists.
std::string maximalHive();

} // namespace velnet::nicsetup::test
