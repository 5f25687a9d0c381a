#include "engine/web/UpdateFile.h"
#include "game/shell/dialogs/PatchProgressListener.h"
#include "game/shell/dialogs/UpdateCheck.h"
#include "game/shell/dialogs/UpdateFilesDialog.h"
#include "game/shell/dialogs/UpdateProgressListener.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <limits>

TEST(ReleaseNotes, NewerEntriesInListOrderEachCutToTheRoomLeft)
{
    UpdateFile older, long5, short7;
    older.SetVersion(3);
    older.SetName(u"v3");
    long5.SetVersion(5);
    long5.SetName(u"v5");
    long5.SetNotes(std::u16string(12000, u'x'));
    short7.SetVersion(7);
    short7.SetName(u"v7");
    short7.SetNotes(u"Faster boats");
    Util::List<IUpdateFile> list;
    list.Add(&long5);
    list.Add(&older);
    list.Add(&short7);

    const std::u16string notes = BuildReleaseNotes(&list, 3);
    const std::u16string dashes(37, u'-');
    const std::u16string last = u"v7\n" + dashes + u"\nFaster boats\n\n";
    ASSERT_EQ(notes.size(), kNotesChunk - 1 + last.size());
    EXPECT_EQ(notes.substr(0, 3 + 38), u"v5\n" + dashes + u"\n");
    EXPECT_EQ(notes.substr(kNotesChunk - 1), last); // the room grew before v7
    EXPECT_EQ(notes.find(u"v3"), std::u16string::npos);
}

namespace {

struct Window : Ui::DownloadWindow {
    int pumps = 0;
    std::vector<int> positions;
    std::u16string status;
    void SetStatus(const std::u16string& text) override { status = text; }
    void SetProgress(int position) override { positions.push_back(position); }
    void Pump() override { ++pumps; }
    void Hide() override {}
};

} // namespace

TEST(UpdateProgress, PumpsEveryReportDrawsEveryFiftiethMeasuresTheSpeedAndStopsOnCancel)
{
    UpdateFilesDialog dialog(nullptr, nullptr);
    dialog.OnInitDialog();
    Window window;
    // A quarter of a second between two draws.
    ScriptedTimer timer([](int) { return 0.25f; });
    UpdateProgressListener listener(&dialog, &window, 4000000, &timer);
    listener.BeginFile(u"v7");
    EXPECT_EQ(window.status, u"Downloading v7\n0.00 KiB/sec");
    listener.AddFinished(1000000);
    for (int i = 1; i <= 100; ++i)
        EXPECT_TRUE(listener.OnProgress(i * 10240));
    EXPECT_EQ(window.pumps, 100);
    // 1000 KiB in half a second, smoothed from nothing.
    EXPECT_EQ(window.status, u"Downloading v7\n1000.00 KiB/sec");
    for (int i = 101; i <= 200; ++i)
        listener.OnProgress(i * 10240);
    EXPECT_EQ(window.status, u"Downloading v7\n1500.00 KiB/sec");
    EXPECT_EQ(listener.GetSpeed(), 1500.0f);
    // (1,000,000 + 51,200 a draw) of 4,000,000 bytes, past 32 bits on the way.
    EXPECT_EQ(window.positions, (std::vector<int>{3780, 5060, 6340, 7620}));
    EXPECT_EQ(listener.GetBarPosition(), 7620);
    listener.BeginFile(u"v8");
    EXPECT_EQ(window.status, u"Downloading v8\n1500.00 KiB/sec");

    dialog.OnCancelPressed();
    EXPECT_FALSE(listener.OnProgress(1010000));
    EXPECT_EQ(window.pumps, 200);

    // Merging: the fraction written, on the same bar, drawn when it moves.
    Window bar;
    PatchProgressListener patch(&bar);
    for (float f : {0.25f, 0.25f, 0.5f, std::numeric_limits<float>::quiet_NaN(), 1.5f, -1.0f})
        patch.OnProgress(f);
    EXPECT_EQ(bar.positions, (std::vector<int>{2500, 5000, 10000, 0}));
}
