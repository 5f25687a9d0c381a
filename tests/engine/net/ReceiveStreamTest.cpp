#include "engine/net/ReceiveStream.h"
#include "engine/net/Sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <string>
#include <vector>

using MPAPI::ReceiveStream;
using Offer = MPAPI::ReceiveStream::Offer;

namespace {

std::string Unread(const ReceiveStream& s)
{
    std::string out(size_t(s.GetUnread()), '\0');
    s.CopyOut(&out[0], 0, s.GetUnread());
    return out;
}

Offer OfferText(ReceiveStream& s, uint16_t sequence, const std::string& text)
{
    return s.OfferChunk(sequence, reinterpret_cast<const uint8_t*>(text.data()), int(text.size()));
}

TEST(ReceiveStream, EarlyChunksWaitAndEnterRightAfterTheirPredecessor)
{
    ReceiveStream s;
    EXPECT_EQ(OfferText(s, 4, "cc"), Offer::Taken);
    EXPECT_EQ(OfferText(s, 3, "bb"), Offer::Taken);
    EXPECT_EQ(s.GetUnread(), 0);
    EXPECT_EQ(s.GetWaitingChunks(), 2);
    EXPECT_EQ(OfferText(s, 2, "aa"), Offer::Taken);
    EXPECT_EQ(Unread(s), "aabbcc");
    EXPECT_EQ(s.GetExpected(), 5);
    EXPECT_EQ(s.GetWaitingChunks(), 0);
}

TEST(ReceiveStream, RepeatsAreKnownAndStoredOnce)
{
    ReceiveStream s;
    EXPECT_EQ(OfferText(s, 2, "a"), Offer::Taken);
    EXPECT_EQ(OfferText(s, 2, "a"), Offer::Repeat);
    EXPECT_EQ(OfferText(s, 5, "d"), Offer::Taken);
    EXPECT_EQ(OfferText(s, 5, "d"), Offer::Repeat);
    EXPECT_EQ(s.GetWaitingChunks(), 1);
    EXPECT_EQ(Unread(s), "a");
}

TEST(ReceiveStream, LateRepeatJustAfterTheWrapIsNotTakenForAFutureChunk)
{
    ReceiveStream s;
    s.SetExpected(0xFFFD);
    EXPECT_EQ(OfferText(s, 0xFFFD, "x"), Offer::Taken);
    EXPECT_EQ(OfferText(s, 0xFFFE, "y"), Offer::Taken);
    EXPECT_EQ(s.GetExpected(), 2);
    // Resends whose acknowledgement was lost must not occupy a re-order slot
    // and come back in place of the next lap's chunks.
    EXPECT_EQ(OfferText(s, 0xFFFE, "y"), Offer::Repeat);
    EXPECT_EQ(OfferText(s, 0xFFFD, "x"), Offer::Repeat);
    EXPECT_EQ(s.GetWaitingChunks(), 0);
    EXPECT_EQ(OfferText(s, 3, "b"), Offer::Taken); // early, across the wrap
    EXPECT_EQ(OfferText(s, 2, "a"), Offer::Taken);
    EXPECT_EQ(Unread(s), "xyab");
}

TEST(ReceiveStream, ChunksThatCannotBePlacedAreRefused)
{
    ReceiveStream s;
    std::string big(1301, 'z');
    EXPECT_EQ(OfferText(s, 0, "a"), Offer::Refused);
    EXPECT_EQ(OfferText(s, 1, "a"), Offer::Refused);
    EXPECT_EQ(OfferText(s, 0xFFFF, "a"), Offer::Refused);
    EXPECT_EQ(OfferText(s, 2, ""), Offer::Refused);
    EXPECT_EQ(OfferText(s, 2, big), Offer::Refused);
    EXPECT_EQ(OfferText(s, 2 + 11, "far"), Offer::Refused); // beyond the re-order slots
    for (uint16_t q = 3; q <= 12; ++q)
        EXPECT_EQ(OfferText(s, q, "w"), Offer::Taken);
    EXPECT_EQ(s.GetWaitingChunks(), ReceiveStream::kReorderSlots);
    EXPECT_EQ(OfferText(s, 4, "w"), Offer::Repeat); // already waiting
    EXPECT_EQ(s.GetUnread(), 0);
}

TEST(ReceiveStream, FullStreamRefusesAndAWaitingChunkEntersOnceThereIsRoom)
{
    ReceiveStream s;
    std::string chunk(1300, 'a');
    uint16_t q = 2;
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(OfferText(s, q++, chunk), Offer::Taken);
    ASSERT_EQ(s.GetUnread(), ReceiveStream::kMaxUnread);
    EXPECT_EQ(OfferText(s, q, "b"), Offer::Refused);
    EXPECT_EQ(s.GetExpected(), q);
    // The next one waits (and is acknowledged); the expected one then comes
    // when there is room for it but not for the waiting one.
    ASSERT_EQ(OfferText(s, uint16_t(q + 1), std::string(1000, 'c')), Offer::Taken);
    ASSERT_TRUE(s.Consume(500));
    ASSERT_EQ(OfferText(s, q, std::string(500, 'b')), Offer::Taken);
    EXPECT_EQ(s.GetWaitingChunks(), 1);
    // Reading makes room; the waiting chunk must enter without a resend.
    ASSERT_TRUE(s.Consume(1300));
    EXPECT_EQ(s.GetWaitingChunks(), 0);
    std::string all = Unread(s);
    EXPECT_EQ(all.substr(all.size() - 1500), std::string(500, 'b') + std::string(1000, 'c'));
}

TEST(ReceiveStream, ReclaimingTheConsumedFrontKeepsWhatIsUnread)
{
    ReceiveStream s;
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text.push_back(char('a' + i % 26));
    ASSERT_EQ(OfferText(s, 2, text.substr(0, 1300)), Offer::Taken);
    ASSERT_EQ(OfferText(s, 3, text.substr(1300, 1300)), Offer::Taken);
    ASSERT_TRUE(s.Consume(1299));
    EXPECT_EQ(Unread(s), text.substr(1299, 1301));
    ASSERT_TRUE(s.Consume(1)); // 1,300 consumed: the rest moves to the front
    EXPECT_EQ(Unread(s), text.substr(1300, 1300));
    EXPECT_FALSE(s.Consume(1301));
    EXPECT_FALSE(s.Consume(-1));
    char out[4];
    EXPECT_FALSE(s.CopyOut(out, 1298, 4));
    EXPECT_TRUE(s.CopyOut(out, 1296, 4));
    EXPECT_EQ(std::string(out, 4), text.substr(2596, 4));
}

// A sender with four chunks out at a time, over a path that loses, repeats
// and reorders chunks and loses acknowledgements, through three laps of the
// sequence ring: the stream must come out byte for byte.
TEST(ReceiveStream, StreamSurvivesLossAndRepeatsAcrossSeveralWraps)
{
    std::mt19937 rng(1234);
    ReceiveStream s;
    s.SetExpected(0xFFF0);
    struct Out {
        uint16_t sequence;
        std::string bytes;
    };
    std::vector<Out> out;
    std::deque<Out> history; // already acknowledged, for late repeats
    uint16_t next = 0xFFF0;
    std::string sent, received;
    long chunks = 0;
    int wraps = 0;
    const long total = 3L * MPAPI::kSequenceRing + 100;
    while (chunks < total || !out.empty()) {
        while (out.size() < 4 && chunks < total) {
            std::string b(size_t(1 + rng() % 12), '\0');
            for (char& c : b)
                c = char(rng());
            sent += b;
            out.push_back(Out{next, b});
            if (next == MPAPI::kLastSequence)
                ++wraps;
            next = MPAPI::NextSequence(next);
            ++chunks;
        }
        std::vector<Out> batch = out;
        std::shuffle(batch.begin(), batch.end(), rng);
        if (!history.empty() && rng() % 4 == 0)
            batch.push_back(history[rng() % history.size()]);
        for (const Out& o : batch) {
            if (rng() % 100 < 20)
                continue; // lost on the way
            Offer r = OfferText(s, o.sequence, o.bytes);
            if (r == Offer::Refused)
                continue; // beyond the window: not acknowledged, comes again
            if (rng() % 100 < 20)
                continue; // acknowledgement lost
            for (size_t i = 0; i < out.size(); ++i) {
                if (out[i].sequence == o.sequence) {
                    history.push_back(out[i]);
                    if (history.size() > 40)
                        history.pop_front();
                    out.erase(out.begin() + long(i));
                    break;
                }
            }
        }
        received += Unread(s);
        s.Consume(s.GetUnread());
    }
    EXPECT_GE(wraps, 3);
    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent);
}

} // namespace
