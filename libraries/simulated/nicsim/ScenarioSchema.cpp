// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/ScenarioSchema.h"

#include <stdexcept>
#include <string>

namespace velnet::nicsim {

using nlohmann::json;

namespace {

struct Kind
{
    bool (*accepts)(const json&);
    const char* described;
};

// Wherever a text is expected, a number names a string id of the library.
const Kind kText{[](const json& v) { return v.is_string() || v.is_number_integer(); },
                 "a text or a string id"};
const Kind kName{[](const json& v) { return v.is_string(); }, "a name"};
const Kind kString{[](const json& v) { return v.is_string(); }, "a text"};
const Kind kNameOrNull{[](const json& v) { return v.is_string() || v.is_null(); },
                       "a name or null"};
const Kind kWhole{[](const json& v) { return v.is_number_integer(); }, "a whole number"};
const Kind kNumber{[](const json& v) { return v.is_number(); }, "a number"};
const Kind kFlag{[](const json& v) { return v.is_boolean(); }, "true or false"};
const Kind kSelect{[](const json& v) { return v.is_number_integer() || v.is_object(); },
                   "a number or {\"ok\"|\"fail\": text}"};

[[noreturn]] void refuse(const std::string& where, const char* described)
{
    throw std::runtime_error(where + " must be " + described);
}

void expect(const json& object, const char* key, const std::string& where, const Kind& kind)
{
    if (object.contains(key) && !kind.accepts(object.at(key)))
        refuse(where + "." + key, kind.described);
}

const json* object(const json& parent, const char* key, const std::string& where)
{
    if (!parent.contains(key))
        return nullptr;
    if (!parent.at(key).is_object())
        refuse(where + key, "an object");
    return &parent.at(key);
}

// Calls `each` for every element of the list at `key`, with where it is.
template <typename Each>
void forEachIn(const json& parent, const char* key, const std::string& where, Each each)
{
    if (!parent.contains(key))
        return;
    const json& list = parent.at(key);
    const std::string at = where + (where.empty() ? "" : ".") + key;
    if (!list.is_array())
        refuse(at, "a list");
    for (std::size_t i = 0; i < list.size(); ++i)
        each(list[i], at + "[" + std::to_string(i) + "]");
}

void expectEach(const json& parent, const char* key, const std::string& where, const Kind& kind)
{
    forEachIn(parent, key, where, [&kind](const json& v, const std::string& at) {
        if (!kind.accepts(v))
            refuse(at, kind.described);
    });
}

// A list of objects whose keys take the kinds given.
void expectRecords(const json& parent, const char* key, const std::string& where,
                   std::initializer_list<std::pair<const char*, const Kind*>> fields)
{
    forEachIn(parent, key, where, [fields](const json& record, const std::string& at) {
        if (!record.is_object())
            refuse(at, "an object");
        for (const auto& [name, kind] : fields)
            expect(record, name, at, *kind);
    });
}

} // namespace

void ScenarioSchema::check(const json& scenario)
{
    if (!scenario.is_object())
        throw std::runtime_error("the scenario must be an object");
    expect(scenario, "computerName", "", kName);
    if (const json* nicport = object(scenario, "nicport", ""))
        checkNicport(*nicport);
    forEachIn(scenario, "nics", "", [](const json& nic, const std::string& at) {
        if (!nic.is_object() || !nic.contains("type"))
            throw std::runtime_error("every NIC needs a type");
        checkNic(nic, at);
    });
    if (const json* types = object(scenario, "types", "")) {
        for (auto type = types->begin(); type != types->end(); ++type)
            checkType(type.value(), "types." + type.key());
    }
    if (const json* echo = object(scenario, "echo", ""))
        checkEcho(*echo);
}

void ScenarioSchema::checkNicport(const json& nicport)
{
    const std::string at = "nicport";
    expect(nicport, "init", at, kWhole);
    expect(nicport, "count", at, kWhole);
    expect(nicport, "cardTypeFailsAt", at, kWhole);
    expect(nicport, "unterminated", at, kFlag);
    expectEach(nicport, "missing", at, kName);
}

void ScenarioSchema::checkNic(const json& nic, const std::string& at)
{
    expect(nic, "type", at, kName);
    expect(nic, "name", at, kText);
    expect(nic, "listed", at, kFlag);
    expect(nic, "select", at, kSelect);
    if (nic.contains("select") && nic.at("select").is_object()) {
        expect(nic.at("select"), "ok", at + ".select", kText);
        expect(nic.at("select"), "fail", at + ".select", kText);
    }
    expect(nic, "autoConfig", at, kText);
    expect(nic, "disableDriver", at, kWhole);
    expect(nic, "enableDriver", at, kWhole);
    expect(nic, "picture", at, kNameOrNull);
    for (const char* list : {"summary", "details"})
        expectRecords(nic, list, at, {{"name", &kText}, {"value", &kText}, {"help", &kWhole}});
    expectRecords(nic, "config", at,
                  {{"name", &kText},
                   {"advanced", &kFlag},
                   {"value", &kText},
                   {"optimal", &kWhole},
                   {"changeResult", &kText},
                   {"help", &kWhole}});
    forEachIn(nic, "config", at, [](const json& item, const std::string& where) {
        expectEach(item, "options", where, kText);
    });
    expectRecords(nic, "statistics", at,
                  {{"name", &kText},
                   {"source", &kName},
                   {"base", &kNumber},
                   {"rate", &kNumber},
                   {"help", &kWhole}});
    expectRecords(nic, "tests", at,
                  {{"name", &kText},
                   {"durationMs", &kWhole},
                   {"failure", &kText},
                   {"failures", &kWhole},
                   {"help", &kWhole}});
}

void ScenarioSchema::checkType(const json& type, const std::string& at)
{
    if (!type.is_object())
        refuse(at, "an object");
    expectEach(type, "missing", at, kName);
    expect(type, "unterminated", at, kFlag);
    if (const json* strings = object(type, "strings", at + ".")) {
        for (auto text = strings->begin(); text != strings->end(); ++text) {
            const std::string& id = text.key();
            if (id.empty() || id.size() > 9 ||
                id.find_first_not_of("0123456789") != std::string::npos)
                throw std::runtime_error(at + ".strings: " + id + " is not a string id");
            expect(*strings, id.c_str(), at + ".strings", kString);
        }
    }
}

void ScenarioSchema::checkEcho(const json& echo)
{
    const std::string at = "echo";
    for (const char* key : {"port", "burst", "intervalMs", "replyTimeoutMs"})
        expect(echo, key, at, kWhole);
    expect(echo, "peer", at, kName);
    expect(echo, "startError", at, kText);
    expect(echo, "stopError", at, kText);
}

} // namespace velnet::nicsim
