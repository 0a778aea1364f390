#include "ZEV_vector.h"

#include "ZEV_matrix.h"

#include "MemoryLimit.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct EventLog {
    std::string text;
    void Attach(TVector& v)
    {
        v.OnChange = [this](TObject*) { text += 'C'; };
        v.OnResize = [this](TObject*) { text += 'R'; };
    }
};
} // namespace

TEST(TVector, StartsWithOneZeroElement)
{
    TVector v;
    EXPECT_EQ(v.NrOfElem(), 1);
    EXPECT_EQ(v.Elem(1), 0.0);
    EXPECT_FALSE(v.OnChange);
    EXPECT_FALSE(v.OnResize);
    EXPECT_FALSE(v.OnSortExchange);
}

TEST(TVector, ResizeKeepsCommonPartAndFiresChangeThenResize)
{
    struct Row {
        int from, to;
        bool result;
        int count;
        const char* events;
    };
    const Row rows[] = {
        {3, 3, true, 3, ""},   // own count: True, nothing happens
        {3, 0, false, 3, ""},  // below 1
        {3, -5, false, 3, ""}, //
        {3, 5, true, 5, "CR"}, // grow
        {3, 2, true, 2, "CR"}, // shrink
        {1, 1000, true, 1000, "CR"},
    };
    for (const Row& r : rows) {
        TVector v;
        v.Resize(r.from);
        for (int i = 1; i <= r.from; ++i) v.SetElem(i, 10.0 * i);
        EventLog log;
        log.Attach(v);
        EXPECT_EQ(v.Resize(r.to), r.result) << r.from << "->" << r.to;
        EXPECT_EQ(log.text, r.events) << r.from << "->" << r.to;
        ASSERT_EQ(v.NrOfElem(), r.count);
        for (int i = 1; i <= r.count; ++i)
            EXPECT_EQ(v.Elem(i), i <= r.from ? 10.0 * i : 0.0) << "element " << i;
    }
}

TEST(TVector, CountPropertyIgnoresInvalidValues)
{
    TVector v;
    v.SetNrOfElem(4);
    EventLog log;
    log.Attach(v);
    v.SetNrOfElem(0);
    v.SetNrOfElem(-1);
    v.SetNrOfElem(4);
    EXPECT_EQ(v.NrOfElem(), 4);
    EXPECT_EQ(log.text, "");
    v.SetNrOfElem(2);
    EXPECT_EQ(v.NrOfElem(), 2);
    EXPECT_EQ(log.text, "CR");
}

TEST(TVector, ShrinkThenGrowBringsBackZeros)
{
    TVector v;
    v.Resize(3);
    v.Fill(7);
    v.Resize(1);
    v.Resize(3);
    EXPECT_EQ(v.Elem(1), 7.0);
    EXPECT_EQ(v.Elem(2), 0.0);
    EXPECT_EQ(v.Elem(3), 0.0);
}

TEST(TVector, OutOfRangeAccessIsSilent)
{
    TVector v;
    v.Resize(3);
    v.Fill(2);
    EventLog log;
    log.Attach(v);
    for (int index : {0, -1, 4, 1000000}) {
        v.SetElem(index, 99);
        EXPECT_EQ(v.Elem(index), 0.0) << index;
    }
    EXPECT_EQ(log.text, "");
    v.SetElem(3, 5);
    v.Fill(1);
    EXPECT_EQ(log.text, "CC");
    EXPECT_EQ(v.Elem(3), 1.0);
}

TEST(TVector, ExhaustedMemoryRaisesAndKeepsContents)
{
    // 2^31 - 1 doubles (16 GiB) in a process capped at its size plus 512 MiB.
    EXPECT_TRUE(PassesWithAddressLimit([] {
        TVector v;
        v.SetName(QStringLiteral("Mean"));
        v.Resize(3);
        v.Fill(4);
        std::string events;
        v.OnChange = [&](TObject*) { events += 'C'; };
        try {
            v.Resize(2147483647);
        } catch (const EZEVVectorError& e) {
            return e.Message() == QStringLiteral("Component \"Mean\": not enough memory") &&
                   v.NrOfElem() == 3 && v.Elem(3) == 4.0 && events.empty();
        }
        return false;
    }));
}

TEST(TVector, AssignCopiesValuesAndHandlersWithoutEvents)
{
    TVector a, b;
    a.Resize(3);
    a.SetElem(2, 5);
    int fired = 0;
    a.OnChange = [&](TObject*) { ++fired; };
    a.OnSortExchange = [](TObject*, std::uint8_t, int, int, int, int) {};
    fired = 0;
    b.Assign(&a);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(b.NrOfElem(), 3);
    EXPECT_EQ(b.Elem(2), 5.0);
    EXPECT_TRUE(b.OnSortExchange);
    b.SetElem(1, 1);
    EXPECT_EQ(fired, 1) << "handler copied";

    TMatrix m;
    EXPECT_THROW(b.Assign(&m), EAssignError);
    EXPECT_THROW(m.Assign(&b), EAssignError);
    EXPECT_THROW(b.Assign(nullptr), EAssignError);
}
