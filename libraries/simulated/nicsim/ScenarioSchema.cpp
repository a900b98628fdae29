// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/ScenarioSchema.h"

#include <initializer_list>
#include <string>
#include <utility>

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

Error refuse(const std::string& where, const char* described)
{
    return fail(where + " must be " + described);
}

// The first of `checks` that failed (all are made, in order: they only read).
Outcome firstFailure(std::initializer_list<Outcome> checks)
{
    for (const Outcome& check : checks)
        if (!check)
            return check;
    return {};
}

Outcome expect(const json& object, const char* key, const std::string& where, const Kind& kind)
{
    if (object.contains(key) && !kind.accepts(object.at(key)))
        return refuse(where + "." + key, kind.described);
    return {};
}

// The object at `key`: nullptr when there is none, a failure when it is not an object.
Result<const json*> object(const json& parent, const char* key, const std::string& where)
{
    if (!parent.contains(key))
        return static_cast<const json*>(nullptr);
    if (!parent.at(key).is_object())
        return refuse(where + key, "an object");
    return &parent.at(key);
}

// Calls `each` for every element of the list at `key`, with where it is;
// stops at the first that fails.
template <typename Each>
Outcome forEachIn(const json& parent, const char* key, const std::string& where, Each each)
{
    if (!parent.contains(key))
        return {};
    const json& list = parent.at(key);
    const std::string at = where + (where.empty() ? "" : ".") + key;
    if (!list.is_array())
        return refuse(at, "a list");
    for (std::size_t i = 0; i < list.size(); ++i)
        if (Outcome checked = each(list[i], at + "[" + std::to_string(i) + "]"); !checked)
            return checked;
    return {};
}

Outcome expectEach(const json& parent, const char* key, const std::string& where, const Kind& kind)
{
    return forEachIn(parent, key, where, [&kind](const json& v, const std::string& at) -> Outcome {
        return kind.accepts(v) ? Outcome() : refuse(at, kind.described);
    });
}

// A list of objects whose keys take the kinds given.
Outcome expectRecords(const json& parent, const char* key, const std::string& where,
                      std::initializer_list<std::pair<const char*, const Kind*>> fields)
{
    return forEachIn(parent, key, where,
                     [fields](const json& record, const std::string& at) -> Outcome {
                         if (!record.is_object())
                             return refuse(at, "an object");
                         for (const auto& [name, kind] : fields)
                             if (Outcome checked = expect(record, name, at, *kind); !checked)
                                 return checked;
                         return {};
                     });
}

} // namespace

Outcome ScenarioSchema::check(const json& scenario)
{
    if (!scenario.is_object())
        return fail("the scenario must be an object");
    if (Outcome name = expect(scenario, "computerName", "", kName); !name)
        return name;
    const auto nicport = object(scenario, "nicport", "");
    if (!nicport)
        return fail(nicport.error());
    if (*nicport)
        if (Outcome checked = checkNicport(**nicport); !checked)
            return checked;
    Outcome nics =
        forEachIn(scenario, "nics", "", [](const json& nic, const std::string& at) -> Outcome {
            if (!nic.is_object() || !nic.contains("type"))
                return fail("every NIC needs a type");
            return checkNic(nic, at);
        });
    if (!nics)
        return nics;
    const auto types = object(scenario, "types", "");
    if (!types)
        return fail(types.error());
    if (*types) {
        for (auto type = (*types)->begin(); type != (*types)->end(); ++type)
            if (Outcome checked = checkType(type.value(), "types." + type.key()); !checked)
                return checked;
    }
    const auto echo = object(scenario, "echo", "");
    if (!echo)
        return fail(echo.error());
    return *echo ? checkEcho(**echo) : Outcome();
}

Outcome ScenarioSchema::checkNicport(const json& nicport)
{
    const std::string at = "nicport";
    return firstFailure({expect(nicport, "init", at, kWhole), expect(nicport, "count", at, kWhole),
                         expect(nicport, "cardTypeFailsAt", at, kWhole),
                         expect(nicport, "unterminated", at, kFlag),
                         expectEach(nicport, "missing", at, kName)});
}

Outcome ScenarioSchema::checkNic(const json& nic, const std::string& at)
{
    const bool selectObject = nic.contains("select") && nic.at("select").is_object();
    const json& select = selectObject ? nic.at("select") : nic;
    const Outcome selectTexts = selectObject
                                    ? firstFailure({expect(select, "ok", at + ".select", kText),
                                                    expect(select, "fail", at + ".select", kText)})
                                    : Outcome();
    const std::initializer_list<std::pair<const char*, const Kind*>> nameValueHelp = {
        {"name", &kText}, {"value", &kText}, {"help", &kWhole}};
    return firstFailure(
        {expect(nic, "type", at, kName), expect(nic, "name", at, kText),
         expect(nic, "listed", at, kFlag), expect(nic, "select", at, kSelect), selectTexts,
         expect(nic, "autoConfig", at, kText), expect(nic, "disableDriver", at, kWhole),
         expect(nic, "enableDriver", at, kWhole), expect(nic, "picture", at, kNameOrNull),
         expectRecords(nic, "summary", at, nameValueHelp),
         expectRecords(nic, "details", at, nameValueHelp),
         expectRecords(nic, "config", at,
                       {{"name", &kText},
                        {"advanced", &kFlag},
                        {"value", &kText},
                        {"optimal", &kWhole},
                        {"changeResult", &kText},
                        {"help", &kWhole}}),
         forEachIn(nic, "config", at,
                   [](const json& item, const std::string& where) -> Outcome {
                       return expectEach(item, "options", where, kText);
                   }),
         expectRecords(nic, "statistics", at,
                       {{"name", &kText},
                        {"source", &kName},
                        {"base", &kNumber},
                        {"rate", &kNumber},
                        {"help", &kWhole}}),
         expectRecords(nic, "tests", at,
                       {{"name", &kText},
                        {"durationMs", &kWhole},
                        {"failure", &kText},
                        {"failures", &kWhole},
                        {"help", &kWhole}})});
}

Outcome ScenarioSchema::checkType(const json& type, const std::string& at)
{
    if (!type.is_object())
        return refuse(at, "an object");
    if (Outcome checked = firstFailure(
            {expectEach(type, "missing", at, kName), expect(type, "unterminated", at, kFlag)});
        !checked)
        return checked;
    const auto strings = object(type, "strings", at + ".");
    if (!strings)
        return fail(strings.error());
    if (!*strings)
        return {};
    for (auto text = (*strings)->begin(); text != (*strings)->end(); ++text) {
        const std::string& id = text.key();
        if (id.empty() || id.size() > 9 || id.find_first_not_of("0123456789") != std::string::npos)
            return fail(at + ".strings: " + id + " is not a string id");
        if (Outcome checked = expect(**strings, id.c_str(), at + ".strings", kString); !checked)
            return checked;
    }
    return {};
}

Outcome ScenarioSchema::checkEcho(const json& echo)
{
    const std::string at = "echo";
    return firstFailure({expect(echo, "port", at, kWhole), expect(echo, "burst", at, kWhole),
                         expect(echo, "intervalMs", at, kWhole),
                         expect(echo, "replyTimeoutMs", at, kWhole),
                         expect(echo, "peer", at, kName), expect(echo, "startError", at, kText),
                         expect(echo, "stopError", at, kText)});
}

} // namespace velnet::nicsim
