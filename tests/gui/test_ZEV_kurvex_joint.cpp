// Layer coupling and data sharing: the coupling rules and their messages, ranges following their
// controller, the refusals of data sharing as the user sees them, the item list seen through a
// sharer, the repaint order after ShowItems, and the end of sharing when a chart goes.
#include "RecordingDialogs.h"
#include "ZEV_kurvex.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
struct TCouplingCase {
    const char* Name;
    std::function<void(TJointLayers&)> Prepare;
    std::function<void(TJointLayers&)> Write;
    const char* Error; // nullptr: accepted
};

std::array<int, 2 * kxMaxLayer> Controllers(const TJointLayers& J)
{
    std::array<int, 2 * kxMaxLayer> all{};
    for (int n = 1; n <= kxMaxLayer; ++n)
        all[std::size_t(n - 1)] = J.XController(n), all[std::size_t(n + 15)] = J.YController(n);
    return all;
}
} // namespace

TEST(KurvexJointLayers, CouplingRulesAndTheirMessages)
{
    const TCouplingCase cases[] = {
        {"y to 0", nullptr, [](TJointLayers& j) { j.SetL05yControlledBy(0); },
         "Destination layer 0 is out of range"},
        {"y to 17", nullptr, [](TJointLayers& j) { j.SetL05yControlledBy(17); },
         "Destination layer 17 is out of range"},
        {"onto a controlled layer", [](TJointLayers& j) { j.SetL03xControlledBy(2); },
         [](TJointLayers& j) { j.SetL04xControlledBy(3); },
         "Destination layer 3 is already joined"},
        {"a controller", [](TJointLayers& j) { j.SetL03xControlledBy(2); },
         [](TJointLayers& j) { j.SetL02xControlledBy(4); },
         "Layer 2 is joined by other layers (3)"},
        {"a controller of two",
         [](TJointLayers& j) {
             j.SetL05yControlledBy(2);
             j.SetL03yControlledBy(2);
         },
         [](TJointLayers& j) { j.SetL02yControlledBy(16); },
         "Layer 2 is joined by other layers (3, 5)"},
        // Layer 2 controls 3 but is free itself: a second layer may join it.
        {"onto a controller", [](TJointLayers& j) { j.SetL03xControlledBy(2); },
         [](TJointLayers& j) { j.SetL01xControlledBy(2); }, nullptr},
        {"the other axis is separate", [](TJointLayers& j) { j.SetL03xControlledBy(2); },
         [](TJointLayers& j) { j.SetL02yControlledBy(4); }, nullptr},
    };
    for (const TCouplingCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TKurvex k;
        TJointLayers& j = *k.JointLayers();
        if (c.Prepare) c.Prepare(j);
        const auto before = Controllers(j);
        if (c.Error) {
            try {
                c.Write(j);
                ADD_FAILURE() << "no error";
            } catch (const EZEVKurvexError& e) {
                EXPECT_STREQ(e.what(), c.Error);
            }
            EXPECT_EQ(Controllers(j), before);
        } else {
            EXPECT_NO_THROW(c.Write(j));
            EXPECT_NE(Controllers(j), before);
        }
    }
}

TEST(KurvexJointLayers, CouplingCopiesTheControllersRangeAndFreeingTouchesNothing)
{
    TKurvex k;
    k.WriteLayerRange(1, 10, 20, 30, 40);
    k.WriteLayerRange(2, 0, 1, 5, 6);
    int changes = 0;
    k.JointLayers()->OnChange = [&](TObject*) { ++changes; };

    k.JointLayers()->SetL02xControlledBy(1);
    EXPECT_EQ(k.JointLayers()->L02xControlledBy(), 1);
    EXPECT_EQ(k.ScalePropsX(2)->RangeLow(), 10);
    EXPECT_EQ(k.ScalePropsX(2)->RangeHigh(), 20);
    EXPECT_EQ(k.ScalePropsY(2)->RangeLow(), 5);
    EXPECT_EQ(k.ScalePropsY(2)->RangeHigh(), 6);
    EXPECT_EQ(changes, 1);
    // The mapping follows at once: layer 2 now draws x like layer 1.
    int p1, p2, py;
    k.WorldToPixel(1, 15, 35, p1, py);
    k.WorldToPixel(2, 15, 5.5, p2, py);
    EXPECT_EQ(p1, p2);

    k.WriteLayerRange(1, -3, 3, 30, 40);
    k.JointLayers()->SetL02xControlledBy(2);
    EXPECT_EQ(k.JointLayers()->L02xControlledBy(), 2);
    EXPECT_EQ(k.ScalePropsX(2)->RangeLow(), 10);
    EXPECT_EQ(changes, 1);
}

TEST(KurvexJointLayers, ControlledAxesFollowTheirControllerAndCannotMoveAlone)
{
    TKurvex k;
    for (int n = 1; n <= 3; ++n) k.WriteLayerRange(n, 0, 1, n, n + 1.0);
    k.JointLayers()->SetL02xControlledBy(1);
    k.JointLayers()->SetL03xControlledBy(1);

    k.SetLayerRange(1, -5, 100, 5, 200);
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(k.ScalePropsX(n)->RangeLow(), -5);
        EXPECT_EQ(k.ScalePropsX(n)->RangeHigh(), 5);
    }
    EXPECT_EQ(k.ScalePropsY(2)->RangeLow(), 2);
    EXPECT_EQ(k.ScalePropsY(3)->RangeLow(), 3);

    k.SetLayerRange(2, 50, 7, 60, 8);
    EXPECT_EQ(k.ScalePropsX(2)->RangeLow(), -5);
    EXPECT_EQ(k.ScalePropsX(2)->RangeHigh(), 5);
    EXPECT_EQ(k.ScalePropsY(2)->RangeLow(), 7);
    EXPECT_EQ(k.ScalePropsY(2)->RangeHigh(), 8);
}

TEST(KurvexJointLayers, AssignAndWritingThePropertyCopyTheControllersOnly)
{
    TKurvex source, target;
    source.JointLayers()->SetL04yControlledBy(9);
    int sourceChanges = 0;
    source.JointLayers()->OnChange = [&](TObject*) { ++sourceChanges; };
    target.SetJointLayers(source.JointLayers());
    EXPECT_EQ(target.JointLayers()->L04yControlledBy(), 9);
    EXPECT_EQ(Controllers(*target.JointLayers()), Controllers(*source.JointLayers()));
    // The copy still reports to and ranges its own chart.
    target.WriteLayerRange(6, 1, 2, 3, 4);
    target.JointLayers()->SetL07xControlledBy(6);
    EXPECT_EQ(target.ScalePropsX(7)->RangeLow(), 1);
    EXPECT_EQ(source.JointLayers()->L07xControlledBy(), 7);
    EXPECT_EQ(sourceChanges, 0);
}

// ---- data sharing ------------------------------------------------------------------------------

namespace {
struct TSharingFixture : ::testing::Test {
    TRecordingDialogs Dialogs;
    TScopedDialogService Guard{&Dialogs};
    std::array<std::unique_ptr<TKurvex>, 7> Charts;

    TSharingFixture()
    {
        for (auto& c : Charts) c = std::make_unique<TKurvex>();
    }
    TKurvex& Chart(int I) { return *Charts[std::size_t(I)]; }
    void ExpectOneInformation(const char* Text)
    {
        ASSERT_EQ(Dialogs.Messages.size(), 1u);
        EXPECT_EQ(Dialogs.Messages[0].Text, QString::fromLatin1(Text));
        EXPECT_EQ(Dialogs.Messages[0].Type, mtInformation);
        EXPECT_EQ(Dialogs.Messages[0].Buttons, TMsgDlgButtons(mbOK));
        Dialogs.Messages.clear();
    }
};
} // namespace

TEST_F(TSharingFixture, RefusalsAreShownAndChangeNothing)
{
    TKurvex& owner = Chart(0);
    owner.SetUseDataOf(&owner);
    ExpectOneInformation("Kurvex: Cannot share data with myself");
    EXPECT_EQ(owner.UseDataOf(), nullptr);

    for (int i = 1; i <= 4; ++i) Chart(i).SetUseDataOf(&owner);
    EXPECT_TRUE(Dialogs.Messages.empty());
    EXPECT_EQ(owner.SharerCount(), 4);

    Chart(5).SetUseDataOf(&owner);
    ExpectOneInformation("Kurvex: Max. number of data shares exceeded");
    EXPECT_EQ(Chart(5).UseDataOf(), nullptr);
    EXPECT_EQ(owner.SharerCount(), 4);

    owner.SetUseDataOf(&Chart(5));
    ExpectOneInformation("Kurvex: Cannot use foreign data. Other Kurvexs are using my own data.");
    EXPECT_EQ(owner.UseDataOf(), nullptr);
    EXPECT_EQ(Chart(5).SharerCount(), 0);
}

TEST_F(TSharingFixture, SharerListsFollowRequestsAndRemovals)
{
    TKurvex &owner = Chart(0), &other = Chart(6);
    Chart(1).SetUseDataOf(&owner);
    // Asking a sharer for its data registers with the chart the data come from.
    Chart(2).SetUseDataOf(&Chart(1));
    EXPECT_EQ(Chart(2).UseDataOf(), &owner);
    Chart(3).SetUseDataOf(&owner);
    ASSERT_EQ(owner.SharerCount(), 3);
    EXPECT_EQ(Chart(1).SharerCount(), 0);

    int repaints = 0;
    (void)Chart(3).Picture();
    Chart(3).OnScalesRendered = [&](TObject*, TCanvas*, int, int) { ++repaints; };
    Chart(3).SetUseDataOf(&owner); // the same owner again: nothing at all
    (void)Chart(3).Picture();
    EXPECT_EQ(repaints, 0);
    EXPECT_EQ(owner.SharerCount(), 3);

    // Removal closes the gap; moving to another owner leaves the old one.
    Chart(1).SetUseDataOf(&other);
    ASSERT_EQ(owner.SharerCount(), 2);
    EXPECT_EQ(owner.Sharer(1), &Chart(2));
    EXPECT_EQ(owner.Sharer(2), &Chart(3));
    EXPECT_EQ(owner.Sharer(3), nullptr);
    EXPECT_EQ(other.Sharer(1), &Chart(1));

    Chart(2).SetUseDataOf(nullptr);
    EXPECT_EQ(owner.SharerCount(), 1);
    EXPECT_EQ(owner.Sharer(1), &Chart(3));
    EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(TSharingFixture, SharersShowTheOwnersItemsAndAFormerSharerStartsItsOwn)
{
    TKurvex &owner = Chart(0), &sharer = Chart(1);
    owner.AddMark(1, 2, 3);
    sharer.AddMark(9, 9, 1);
    sharer.SetUseDataOf(&owner);
    EXPECT_EQ(&sharer.DataItems(), &owner.DataItems());
    owner.AddMark(4, 5, 6);
    owner.ShowItems();
    EXPECT_EQ(sharer.DataItems().Count(), 2);
    // Items added through a sharer land in the shared list.
    sharer.AddMark(7, 8, 1);
    sharer.ShowItems();
    EXPECT_EQ(owner.DataItems().Count(), 3);

    sharer.SetUseDataOf(nullptr);
    EXPECT_EQ(sharer.DataItems().Count(), 3); // still showing what it showed
    sharer.ClearItems();
    sharer.AddMark(0, 0, 1);
    EXPECT_EQ(sharer.DataItems().Count(), 1);
    ASSERT_EQ(owner.DataItems().Count(), 3);
    EXPECT_EQ(owner.DataItems()[2].X, 7);
}

TEST_F(TSharingFixture, ShowItemsRepaintsOwnerThenItsSharersThenOwnSharers)
{
    TKurvex &owner = Chart(0), &a = Chart(1), &b = Chart(2), &quiet = Chart(3);
    a.SetUseDataOf(&owner);
    b.SetUseDataOf(&owner);
    quiet.SetUseDataOf(&owner);
    quiet.SetAutoRedraw(false);
    for (int i = 0; i < 4; ++i) (void)Chart(i).Picture();
    std::vector<int> order;
    for (int i = 0; i < 4; ++i)
        Chart(i).OnScalesRendered = [&order, i](TObject*, TCanvas*, int, int) {
            order.push_back(i);
        };

    b.ShowItems();
    EXPECT_EQ(order, (std::vector<int>{0, 1}));
    order.clear();
    owner.ShowItems();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST_F(TSharingFixture, DestroyingAChartEndsEverySharingItTakesPartIn)
{
    TKurvex &a = Chart(1), &b = Chart(2);
    Chart(0).AddMark(1, 1, 1);
    a.SetUseDataOf(&Chart(0));
    b.SetUseDataOf(&Chart(0));
    Charts[0].reset();
    EXPECT_EQ(a.UseDataOf(), nullptr);
    EXPECT_EQ(b.UseDataOf(), nullptr);
    EXPECT_EQ(a.DataItems().Count(), 1); // the list outlives its owner while shown
    a.ShowItems();
    (void)a.Picture();

    b.SetUseDataOf(&a);
    Charts[2].reset();
    EXPECT_EQ(a.SharerCount(), 0);
    a.ShowItems();
    EXPECT_TRUE(Dialogs.Messages.empty());
}
