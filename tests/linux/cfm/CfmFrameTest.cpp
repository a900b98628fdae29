// SPDX-License-Identifier: MIT
#include "linux/cfm/CfmFrame.h"

#include <gtest/gtest.h>

using namespace velnet::cfmecho;

namespace {

const MacAddress kStation{0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
const MacAddress kPeer{0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};

LoopbackFrame message(std::string name = "alpha")
{
    LoopbackFrame frame;
    frame.destination = classOneMulticast(kEchoMdLevel);
    frame.source = kStation;
    frame.opcode = CfmOpcode::LoopbackMessage;
    frame.transactionId = 0x01020304;
    frame.senderName = std::move(name);
    return frame;
}

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> bytes;
    for (int v : values)
        bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

} // namespace

TEST(CfmFrame, ClassOneMulticastAddressOfEachLevel)
{
    EXPECT_EQ(classOneMulticast(7), (MacAddress{0x01, 0x80, 0xC2, 0x00, 0x00, 0x37}));
    EXPECT_EQ(classOneMulticast(0), (MacAddress{0x01, 0x80, 0xC2, 0x00, 0x00, 0x30}));
    EXPECT_EQ(classOneMulticast(4), (MacAddress{0x01, 0x80, 0xC2, 0x00, 0x00, 0x34}));
    EXPECT_EQ(formatMacAddress(classOneMulticast(7)), "01:80:C2:00:00:37");
}

TEST(CfmFrame, LoopbackMessageLayoutByteByByte)
{
    const auto bytes = buildLoopbackFrame(message("ab"));
    const auto expected = bytesOf({
        0x01, 0x80, 0xC2, 0x00, 0x00, 0x37,      // class-1 multicast of level 7
        0x02, 0x11, 0x22, 0x33, 0x44, 0x55,      // source
        0x89, 0x02,                              // CFM EtherType
        0xE0, 0x03, 0x00, 0x04,                  // level 7 version 0, LBM, flags, offset
        0x01, 0x02, 0x03, 0x04,                  // transaction id
        0x01, 0x00, 0x04, 0x02, 0x07, 'a',  'b', // Sender ID: chassis "ab", locally assigned
        0x00,                                    // End TLV
    });
    ASSERT_EQ(bytes.size(), kMinFrameLength); // padded to the shortest frame
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin()));
    EXPECT_TRUE(std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(expected.size()),
                            bytes.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(CfmFrame, ReplyWithoutNameEndsAfterTheTransactionId)
{
    LoopbackFrame reply = message("");
    reply.opcode = CfmOpcode::LoopbackReply;
    reply.mdLevel = 5;
    reply.destination = kPeer;
    const auto bytes = buildLoopbackFrame(reply);
    EXPECT_EQ(bytes[14], 0xA0);
    EXPECT_EQ(bytes[15], 0x02);
    EXPECT_EQ(bytes[22], 0x00); // End TLV right after the id
    EXPECT_EQ(parseLoopbackFrame(bytes), reply);
}

TEST(CfmFrame, RoundTripKeepsEveryField)
{
    LoopbackFrame frame = message("computer-with-a-long-name.example");
    frame.transactionId = 0xFFFFFFFE;
    frame.version = 1;
    const auto parsed = parseLoopbackFrame(buildLoopbackFrame(frame));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, frame);
}

TEST(CfmFrame, LongNameIsCutToWhatTheChassisIdLengthCarries)
{
    const std::string name(300, 'n');
    const auto bytes = buildLoopbackFrame(message(name));
    const auto parsed = parseLoopbackFrame(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->senderName, name.substr(0, kMaxSenderNameLength));
    EXPECT_EQ(bytes.size(), 14u + 8u + 3u + 2u + kMaxSenderNameLength + 1u);
}

TEST(CfmFrame, OtherFramesAreNotLoopbackFrames)
{
    auto bytes = buildLoopbackFrame(message());
    auto otherType = bytes;
    otherType[13] = 0x00; // 0x8900
    EXPECT_FALSE(parseLoopbackFrame(otherType));
    auto continuityCheck = bytes;
    continuityCheck[15] = 1;
    EXPECT_FALSE(parseLoopbackFrame(continuityCheck));
    auto linkTrace = bytes;
    linkTrace[15] = 5;
    EXPECT_FALSE(parseLoopbackFrame(linkTrace));
    EXPECT_FALSE(parseLoopbackFrame(std::span(bytes.data(), 17)));
    EXPECT_FALSE(parseLoopbackFrame({}));
    EXPECT_TRUE(parseLoopbackFrame(bytes));
}

TEST(CfmFrame, TruncatedFramesAreRefused)
{
    const auto bytes = buildLoopbackFrame(message("abcdef"));
    // Cut inside the transaction id, inside the TLV header, inside the name.
    EXPECT_FALSE(parseLoopbackFrame(std::span(bytes.data(), 20)));
    EXPECT_FALSE(parseLoopbackFrame(std::span(bytes.data(), 24)));
    EXPECT_FALSE(parseLoopbackFrame(std::span(bytes.data(), 30)));
    // Without the End TLV, what came before it still reads.
    const auto noEnd = parseLoopbackFrame(std::span(bytes.data(), 33));
    ASSERT_TRUE(noEnd);
    EXPECT_EQ(noEnd->senderName, "abcdef");
}

TEST(CfmFrame, TlvLengthPastTheFrameIsRefused)
{
    auto bytes = buildLoopbackFrame(message("abc"));
    bytes[23] = 0x01; // Sender ID length 0x0105
    bytes[24] = 0x05;
    EXPECT_FALSE(parseLoopbackFrame(bytes));
}

TEST(CfmFrame, FirstTlvOffsetIsHonoured)
{
    // An offset of 8 puts four more bytes (unknown to us) before the first TLV.
    const auto bytes = bytesOf({0x01, 0x80, 0xC2, 0x00, 0x00, 0x37, 0x02, 0x11, 0x22, 0x33, 0x44,
                                0x55, 0x89, 0x02, 0xE0, 0x02, 0x00, 0x08, 0x00, 0x00, 0x00, 0x09,
                                0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x03, 0x01, 0x07, 'z',  0x00});
    const auto parsed = parseLoopbackFrame(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->transactionId, 9u);
    EXPECT_EQ(parsed->senderName, "z");
    auto tooShort = bytes;
    tooShort[17] = 2; // smaller than the transaction id
    EXPECT_FALSE(parseLoopbackFrame(tooShort));
    auto pastEnd = bytes;
    pastEnd[17] = 200;
    EXPECT_FALSE(parseLoopbackFrame(pastEnd));
}

TEST(CfmFrame, OnlyALocallyAssignedChassisIdIsAName)
{
    // A Sender ID with a MAC-address chassis id (subtype 4), then one with a name.
    const auto bytes =
        bytesOf({0x02, 0x11, 0x22, 0x33, 0x44, 0x55, 0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x89, 0x02,
                 0xE0, 0x03, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x08, 0x06, 0x04, 0x02,
                 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x1F, 0x00, 0x04, 0x00, 0x80, 0xC2, 0x01, 0x00});
    const auto parsed = parseLoopbackFrame(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->senderName, "");
    EXPECT_EQ(senderLabel(*parsed), "02:AA:BB:CC:DD:EE");
    EXPECT_EQ(senderLabel(message("alpha")), "alpha");
}

TEST(CfmFrame, OrganizationSpecificTlvBeforeTheSenderIdIsSkipped)
{
    const auto bytes =
        bytesOf({0x02, 0x11, 0x22, 0x33, 0x44, 0x55, 0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x89,
                 0x02, 0xE0, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x1F, 0x00, 0x04, 0x00,
                 0x80, 0xC2, 0x01, 0x01, 0x00, 0x05, 0x03, 0x07, 'b',  'o',  'b',  0x00});
    const auto parsed = parseLoopbackFrame(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->opcode, CfmOpcode::LoopbackReply);
    EXPECT_EQ(parsed->senderName, "bob");
}

namespace {

std::vector<std::uint8_t> dataTlv(std::size_t length)
{
    std::vector<std::uint8_t> tlv{3, static_cast<std::uint8_t>(length >> 8),
                                  static_cast<std::uint8_t>(length)};
    for (std::size_t i = 0; i < length; ++i)
        tlv.push_back(static_cast<std::uint8_t>(i));
    return tlv;
}

} // namespace

TEST(CfmFrame, OtherTlvsSurviveARoundTripAndTheSenderIdIsNotAmongThem)
{
    LoopbackFrame frame = message("alpha");
    frame.otherTlvs = {dataTlv(1400), bytesOf({0x1F, 0x00, 0x04, 0x00, 0x80, 0xC2, 0x01})};
    const auto bytes = buildLoopbackFrame(frame);
    EXPECT_EQ(bytes.size(), 14u + 8u + 10u + 1403u + 7u + 1u);
    EXPECT_EQ(parseLoopbackFrame(bytes), frame);
}

TEST(CfmFrame, ReplyCarriesTheMessagesTlvsThatFitTheMtu)
{
    LoopbackFrame lbm = message("alpha");
    lbm.otherTlvs = {dataTlv(1400), dataTlv(100)};
    struct Case
    {
        std::size_t mtu;
        std::size_t tlvsBack;
    };
    // Frame without the message's TLVs: 14 + 8 + 10 ("bravo") + 1 = 33 bytes.
    for (const Case c : {Case{9000, 2},
                         {1500, 1},
                         {33 - 14 + 1403 + 103, 2},
                         {33 - 14 + 1403 + 102, 1},
                         {1418, 0},
                         {46, 0}}) {
        SCOPED_TRACE("mtu " + std::to_string(c.mtu));
        const LoopbackFrame reply = loopbackReply(lbm, kPeer, "bravo", c.mtu);
        EXPECT_EQ(reply.opcode, CfmOpcode::LoopbackReply);
        EXPECT_EQ(reply.destination, kStation);
        EXPECT_EQ(reply.source, kPeer);
        EXPECT_EQ(reply.transactionId, lbm.transactionId);
        EXPECT_EQ(reply.senderName, "bravo");
        EXPECT_EQ(reply.otherTlvs,
                  std::vector(lbm.otherTlvs.begin(),
                              lbm.otherTlvs.begin() + static_cast<std::ptrdiff_t>(c.tlvsBack)));
        EXPECT_LE(buildLoopbackFrame(reply).size(), 14 + c.mtu);
    }
}
