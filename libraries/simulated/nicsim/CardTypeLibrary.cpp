// SPDX-License-Identifier: MIT
#include "libraries/simulated/nicsim/CardTypeLibrary.h"

#include "cardcheck/adapter/AdapterContract.h"
#include "libraries/simulated/nicsim/Trace.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <thread>

namespace velnet::nicsim {

using nlohmann::json;

namespace {

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// "{address}" and the like become the NIC's own fields.
std::string expand(const std::string& text, const json& nic)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto close = text.find('}', i);
        if (text[i] == '{' && close != std::string::npos) {
            const std::string key = text.substr(i + 1, close - i - 1);
            if (nic.contains(key)) {
                const json& v = nic.at(key);
                out += v.is_string() ? v.get<std::string>() : v.dump();
                i = close;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

template <typename List> bool inRange(const List& list, std::int32_t index)
{
    return index >= 0 && static_cast<std::size_t>(index) < list.size();
}

} // namespace

CardTypeLibrary::CardTypeLibrary(const Product& product)
    : product_(product), scenario_(Scenario::load()), type_(scenario_.type(product.type)),
      clearedAt_(nowNs()), echo_(scenario_.echo, scenario_.computerName.substr(0, 43)),
      libraryName_(std::string(product.type) + "CFG")
{
    trace("load " + libraryName_);
    for (const auto& [id, text] : type_.strings)
        strings_.place(id, text);
    for (const std::size_t nic : scenario_.cardsOfType(product.type))
        cards_.push_back(buildCard(nic));
    // Every text is in the table before any call: the table never changes
    // while several threads read it.
    messages_.noSuchNic = strings_.add("The selected NIC was not found by this driver.");
    messages_.noSuchTest = strings_.add("There is no such test for this NIC.");
    messages_.noReplies = strings_.add("No echo replies were received.  Make sure the other "
                                       "computer is running the echo test as responder.");
    messages_.peerNotLocal =
        strings_.add("The echo partner must be reached through this computer's loopback network.");
    messages_.alreadyRunning = strings_.add("An echo test is already running.");
    messages_.network = strings_.add("The echo test could not open its network connection.");
    messages_.badRole = strings_.add("Unknown echo test role.");
    messages_.echoStart = textId(scenario_.echo.startError);
    messages_.echoStop = textId(scenario_.echo.stopError);
    picture_ = productPicture();
}

CardTypeLibrary::~CardTypeLibrary()
{
    trace("unload " + libraryName_);
}

bool CardTypeLibrary::exports(const char* name) const
{
    return type_.missing.count(name) == 0;
}

// ---- building the NICs from the scenario ---------------------------------

std::int32_t CardTypeLibrary::textId(const json& value)
{
    if (value.is_number_integer())
        return value.get<std::int32_t>();
    if (value.is_string())
        return strings_.add(value.get<std::string>());
    return 0;
}

std::string CardTypeLibrary::text(const json& value) const
{
    if (value.is_number_integer())
        return strings_.find(value.get<std::int32_t>()).value_or(std::string());
    return value.is_string() ? value.get<std::string>() : std::string();
}

std::int32_t CardTypeLibrary::selectResult(const json& value)
{
    if (value.is_number_integer())
        return value.get<std::int32_t>();
    if (value.is_object() && value.contains("fail"))
        return static_cast<std::int32_t>(INT32_MIN | (textId(value.at("fail")) & 0xFFF));
    if (value.is_object() && value.contains("ok"))
        return textId(value.at("ok"));
    return 0;
}

std::vector<CardTypeLibrary::Item> CardTypeLibrary::buildItems(const json& list, const json& nic,
                                                               std::int32_t helpBase)
{
    std::vector<Item> items;
    for (const auto& entry : list) {
        Item item;
        item.nameId = textId(entry.value("name", json()));
        if (entry.contains("value"))
            item.value = expand(text(entry.at("value")), nic);
        item.help = entry.value("help", helpBase + static_cast<std::int32_t>(items.size()));
        items.push_back(std::move(item));
    }
    return items;
}

CardTypeLibrary::Card CardTypeLibrary::buildCard(std::size_t nicIndex)
{
    json nic = json::parse(product_.cardDefaults);
    nic.update(scenario_.nics[nicIndex]);
    const std::int32_t help = product_.helpBase;

    Card card;
    card.nic = nicIndex;
    card.name = nic.contains("name") ? text(nic.at("name")) : std::string(product_.type);
    card.summary = buildItems(nic.value("summary", json::array()), nic, help + 0x100);
    card.details = buildItems(nic.value("details", json::array()), nic, help + 0x200);
    for (const auto& entry : nic.value("config", json::array())) {
        ConfigItem item;
        item.nameId = textId(entry.value("name", json()));
        item.advanced = entry.value("advanced", false);
        for (const auto& option : entry.value("options", json::array()))
            item.options.push_back(text(option));
        item.value = entry.contains("value") ? text(entry.at("value"))
                     : item.options.empty()  ? std::string()
                                             : item.options.front();
        item.optimal = entry.value("optimal", std::size_t{0});
        item.changeResult = textId(entry.value("changeResult", json()));
        item.help =
            entry.value("help", help + 0x300 + static_cast<std::int32_t>(card.config.size()));
        card.config.push_back(std::move(item));
    }
    for (const auto& entry : nic.value("statistics", json::array())) {
        Statistic stat;
        stat.nameId = textId(entry.value("name", json()));
        stat.source = entry.value("source", std::string("counter"));
        stat.base = entry.value("base", 0.0);
        stat.rate = entry.value("rate", 0.0);
        stat.help =
            entry.value("help", help + 0x400 + static_cast<std::int32_t>(card.statistics.size()));
        card.statistics.push_back(std::move(stat));
    }
    for (const auto& entry : nic.value("tests", json::array())) {
        SelfTest test;
        test.nameId = textId(entry.value("name", json()));
        test.result = textId(entry.value("failure", json()));
        test.durationMs = entry.value("durationMs", 200);
        test.failuresLeft = entry.value("failures", -1);
        test.help =
            entry.value("help", help + 0x500 + static_cast<std::int32_t>(card.tests.size()));
        card.tests.push_back(std::move(test));
    }
    card.selectResult = selectResult(nic.value("select", json()));
    card.autoConfigResult = textId(nic.value("autoConfig", json()));
    if (!nic.contains("picture"))
        card.picture = product_.pictureName;
    else if (nic.at("picture").is_string())
        card.picture = nic.at("picture").get<std::string>();
    return card;
}

// ---- helpers ------------------------------------------------------------------

std::int32_t CardTypeLibrary::writeText(char* buffer, std::size_t size,
                                        const std::string& text) const
{
    if (!buffer || size == 0)
        return 0;
    if (type_.unterminated) {
        // A careless library: the whole buffer, and no NUL.
        std::memset(buffer, ' ', size);
        std::memcpy(buffer, text.data(), std::min(size, text.size()));
        return 1;
    }
    const std::size_t n = std::min(size - 1, text.size());
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return 1;
}

CardTypeLibrary::Card* CardTypeLibrary::selected()
{
    const std::int32_t index = selected_.load();
    return inRange(cards_, index) ? &cards_[static_cast<std::size_t>(index)] : nullptr;
}

const json* CardTypeLibrary::nicAtPosition(std::int32_t position) const
{
    const auto order = scenario_.cardListOrder();
    if (!inRange(order, position))
        return nullptr;
    return &scenario_.nics[order[static_cast<std::size_t>(position)]];
}

double CardTypeLibrary::secondsSinceClear() const
{
    return static_cast<double>(nowNs() - clearedAt_.load()) / 1e9;
}

// ---- the exports ----------------------------------------------------------------

std::int32_t CardTypeLibrary::CardName(std::int32_t card, char* name)
{
    if (!inRange(cards_, card))
        return 0;
    return writeText(name, VELNET_TEXT_SIZE, cards_[static_cast<std::size_t>(card)].name);
}

std::int32_t CardTypeLibrary::CardHelp(std::int32_t card)
{
    return product_.helpBase + card;
}

std::int32_t CardTypeLibrary::SelectCard(std::int32_t card, std::int16_t flag)
{
    trace(libraryName_ + " SelectCard " + std::to_string(card) + " " + std::to_string(flag));
    if (!inRange(cards_, card))
        return static_cast<std::int32_t>(INT32_MIN | (messages_.noSuchNic & 0xFFF));
    selected_ = card;
    return cards_[static_cast<std::size_t>(card)].selectResult;
}

const char* CardTypeLibrary::Picture()
{
    const Card* card = selected();
    return card && card->picture ? card->picture->c_str() : nullptr;
}

std::int32_t CardTypeLibrary::CardSummaryName(std::int32_t item)
{
    const Card* card = selected();
    return card && inRange(card->summary, item)
               ? card->summary[static_cast<std::size_t>(item)].nameId
               : 0;
}

std::int32_t CardTypeLibrary::CardSummaryValue(std::int32_t item, char* value)
{
    const Card* card = selected();
    if (!card || !inRange(card->summary, item) ||
        !card->summary[static_cast<std::size_t>(item)].value)
        return 0;
    return writeText(value, VELNET_TEXT_SIZE, *card->summary[static_cast<std::size_t>(item)].value);
}

std::int32_t CardTypeLibrary::CardSummaryHelp(std::int32_t item)
{
    const Card* card = selected();
    return card && inRange(card->summary, item) ? card->summary[static_cast<std::size_t>(item)].help
                                                : 0;
}

std::int32_t CardTypeLibrary::CardDetailsName(std::int32_t item)
{
    const Card* card = selected();
    return card && inRange(card->details, item)
               ? card->details[static_cast<std::size_t>(item)].nameId
               : 0;
}

std::int32_t CardTypeLibrary::CardDetailsValue(std::int32_t item, char* value)
{
    const Card* card = selected();
    if (!card || !inRange(card->details, item) ||
        !card->details[static_cast<std::size_t>(item)].value)
        return 0;
    return writeText(value, VELNET_TEXT_SIZE, *card->details[static_cast<std::size_t>(item)].value);
}

std::int32_t CardTypeLibrary::CardDetailsHelp(std::int32_t item)
{
    const Card* card = selected();
    return card && inRange(card->details, item) ? card->details[static_cast<std::size_t>(item)].help
                                                : 0;
}

std::int32_t CardTypeLibrary::ConfigName(std::int32_t item, std::int16_t* advanced)
{
    const Card* card = selected();
    if (!card || !inRange(card->config, item))
        return 0;
    const ConfigItem& config = card->config[static_cast<std::size_t>(item)];
    if (advanced)
        *advanced = config.advanced ? 1 : 0;
    return config.nameId;
}

std::int32_t CardTypeLibrary::ConfigOption(std::int32_t item, std::int32_t option, char* text)
{
    const Card* card = selected();
    if (!card || !inRange(card->config, item))
        return 0;
    const ConfigItem& config = card->config[static_cast<std::size_t>(item)];
    if (!inRange(config.options, option))
        return 0;
    return writeText(text, VELNET_TEXT_SIZE, config.options[static_cast<std::size_t>(option)]);
}

std::int32_t CardTypeLibrary::ConfigValue(std::int32_t item, char* value)
{
    const Card* card = selected();
    if (!card || !inRange(card->config, item))
        return 0;
    return writeText(value, VELNET_TEXT_SIZE, card->config[static_cast<std::size_t>(item)].value);
}

std::int32_t CardTypeLibrary::AutoConfig()
{
    trace(libraryName_ + " AutoConfig");
    Card* card = selected();
    if (!card)
        return 0;
    for (auto& config : card->config)
        if (config.optimal < config.options.size())
            config.value = config.options[config.optimal];
    return card->autoConfigResult;
}

std::int32_t CardTypeLibrary::ChangeConfigValue(std::int32_t item, std::int32_t option)
{
    trace(libraryName_ + " ChangeConfigValue " + std::to_string(item) + " " +
          std::to_string(option));
    Card* card = selected();
    if (!card || !inRange(card->config, item))
        return 0;
    ConfigItem& config = card->config[static_cast<std::size_t>(item)];
    if (inRange(config.options, option))
        config.value = config.options[static_cast<std::size_t>(option)];
    return config.changeResult;
}

std::int32_t CardTypeLibrary::ConfigHelp(std::int32_t item)
{
    const Card* card = selected();
    return card && inRange(card->config, item) ? card->config[static_cast<std::size_t>(item)].help
                                               : 0;
}

std::int32_t CardTypeLibrary::StatisticsName(std::int32_t item)
{
    const Card* card = selected();
    return card && inRange(card->statistics, item)
               ? card->statistics[static_cast<std::size_t>(item)].nameId
               : 0;
}

std::int32_t CardTypeLibrary::StatisticsValue(std::int32_t item, char* value)
{
    const Card* card = selected();
    if (!card || !inRange(card->statistics, item))
        return 0;
    const Statistic& stat = card->statistics[static_cast<std::size_t>(item)];
    std::uint64_t count = 0;
    if (stat.source == "echoSent")
        count = echo_.sent();
    else if (stat.source == "echoReceived")
        count = echo_.received();
    else
        count = static_cast<std::uint64_t>(std::floor(stat.base + stat.rate * secondsSinceClear()));
    return writeText(value, VELNET_TEXT_SIZE, std::to_string(count));
}

std::int32_t CardTypeLibrary::StatisticsHelp(std::int32_t item)
{
    const Card* card = selected();
    return card && inRange(card->statistics, item)
               ? card->statistics[static_cast<std::size_t>(item)].help
               : 0;
}

std::int32_t CardTypeLibrary::TestName(std::int32_t test)
{
    const Card* card = selected();
    return card && inRange(card->tests, test) ? card->tests[static_cast<std::size_t>(test)].nameId
                                              : 0;
}

std::int32_t CardTypeLibrary::RunTest(std::int32_t test)
{
    trace(libraryName_ + " RunTest " + std::to_string(test));
    Card* card = selected();
    if (!card || !inRange(card->tests, test))
        return messages_.noSuchTest;
    SelfTest& self = card->tests[static_cast<std::size_t>(test)];
    std::this_thread::sleep_for(std::chrono::milliseconds(self.durationMs));
    if (self.failuresLeft == 0)
        return 0;
    if (self.failuresLeft > 0)
        --self.failuresLeft;
    return self.result;
}

std::int32_t CardTypeLibrary::TestHelp(std::int32_t test)
{
    const Card* card = selected();
    return card && inRange(card->tests, test) ? card->tests[static_cast<std::size_t>(test)].help
                                              : 0;
}

std::int32_t CardTypeLibrary::echoError(EchoEngine::Result result)
{
    switch (result) {
    case EchoEngine::Result::Ok:
        return 0;
    case EchoEngine::Result::NoReplies:
        return messages_.noReplies;
    case EchoEngine::Result::PeerNotLocal:
        return messages_.peerNotLocal;
    case EchoEngine::Result::AlreadyRunning:
        return messages_.alreadyRunning;
    case EchoEngine::Result::NetworkError:
        break;
    }
    return messages_.network;
}

std::int32_t CardTypeLibrary::EchoTest(std::uint8_t role, std::int32_t continuous)
{
    trace(libraryName_ + " EchoTest " + std::to_string(role) + " " + std::to_string(continuous));
    if (role == VELNET_ECHO_STOP) {
        echo_.stop();
        return messages_.echoStop;
    }
    if (messages_.echoStart)
        return messages_.echoStart;
    if (role != VELNET_ECHO_SEND && role != VELNET_ECHO_RESPOND)
        return messages_.badRole;
    return echoError(echo_.run(role, continuous != 0));
}

std::int32_t CardTypeLibrary::ClearStats()
{
    clearedAt_ = nowNs();
    echo_.clear();
    return 0;
}

std::uint8_t CardTypeLibrary::EchoState()
{
    return echo_.state();
}

std::int32_t CardTypeLibrary::LastEchoResponder(char* name)
{
    return writeText(name, VELNET_ECHO_NAME_SIZE, echo_.lastResponder());
}

std::int32_t CardTypeLibrary::LastEchoSender(char* name)
{
    return writeText(name, VELNET_ECHO_NAME_SIZE, echo_.lastSender());
}

std::uint32_t CardTypeLibrary::NumberEchosSent()
{
    return echo_.sent();
}

std::uint32_t CardTypeLibrary::NumberEchosReceived()
{
    return echo_.received();
}

std::int32_t CardTypeLibrary::DisableDriver(std::int32_t position)
{
    trace(libraryName_ + " DisableDriver " + std::to_string(position));
    const json* nic = nicAtPosition(position);
    return nic ? nic->value("disableDriver", VELNET_DRIVER_OFFLINE) : VELNET_DRIVER_OFFLINE;
}

std::int32_t CardTypeLibrary::EnableDriver(std::int32_t position)
{
    trace(libraryName_ + " EnableDriver " + std::to_string(position));
    const json* nic = nicAtPosition(position);
    return nic ? nic->value("enableDriver", 0) : 0;
}

std::int32_t CardTypeLibrary::ResourceString(std::uint32_t id, char* buffer, std::int32_t size)
{
    if (!buffer || size <= 0 || id > INT32_MAX)
        return 0;
    const auto text = strings_.find(static_cast<std::int32_t>(id));
    if (!text || text->empty())
        return 0;
    writeText(buffer, static_cast<std::size_t>(size), *text);
    return static_cast<std::int32_t>(
        std::min<std::size_t>(text->size(), static_cast<std::size_t>(size) - 1));
}

std::int32_t CardTypeLibrary::ResourceBitmap(const char* name, const unsigned char** bytes,
                                             std::uint32_t* size)
{
    if (!name || !bytes || !size || std::strcmp(name, product_.pictureName) != 0)
        return 0;
    *bytes = picture_.data();
    *size = static_cast<std::uint32_t>(picture_.size());
    return 1;
}

CardTypeLibrary& library()
{
    static CardTypeLibrary instance(thisProduct());
    return instance;
}

} // namespace velnet::nicsim
