// SPDX-License-Identifier: MIT
#pragma once

#include "common/ui/ScriptedResponder.h"

#include <QtTest/QTest>

namespace velnet::test {

// A scripted responder whose complaints fail the running QtTest test function.
class QtTestResponder : public ui::ScriptedResponder
{
public:
    QtTestResponder()
        : ScriptedResponder(
              [](const std::string& m) { QTest::qFail(m.c_str(), __FILE__, __LINE__); })
    {
    }
};

} // namespace velnet::test
