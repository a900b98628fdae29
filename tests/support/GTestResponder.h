// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/ScriptedResponder.h"

#include <gtest/gtest.h>

namespace velnet::test {

// A scripted responder whose complaints fail the running GoogleTest test.
class GTestResponder : public ui::ScriptedResponder
{
public:
    GTestResponder() : ScriptedResponder([](const std::string& m) { ADD_FAILURE() << m; }) {}
};

} // namespace velnet::test
