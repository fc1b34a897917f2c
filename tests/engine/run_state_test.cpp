#include "engine/run_state.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "options/batch_options.h"

namespace vig::engine::runstate {
namespace {

TEST(RunState, EscapedTextsAndPlansReadBackAsWritten) {
    for (const std::string& text : {std::string(""), std::string("plain"),
                                   std::string("a b\nc%d\x7f\xff/\x01", 11), std::string("%%%")}) {
        const std::string escaped = Escape(text);
        EXPECT_EQ(escaped.find_first_of(" \n\r\t"), std::string::npos);
        std::string back;
        ASSERT_TRUE(Unescape(escaped, &back));
        EXPECT_EQ(back, text);
    }
    std::string out;
    EXPECT_FALSE(Unescape("%4", &out));
    EXPECT_FALSE(Unescape("%zz", &out));

    Plan plan{NewPlanId(), {"MainWidth=100", "OutputExtraText= x"},
              {"a.jpg", "sub/b c.png", std::string("new\nline.bmp")}};
    Plan read;
    std::string problem;
    ASSERT_TRUE(ParsePlan(PlanText(plan), &read, &problem)) << problem;
    EXPECT_EQ(read.id, plan.id);
    EXPECT_EQ(read.settings, plan.settings);
    EXPECT_EQ(read.files, plan.files);
    EXPECT_NE(NewPlanId(), plan.id);
}

TEST(RunState, DamagedPlansNameTheirLine) {
    const std::string good = PlanText({"0123456789ABCDEF", {"A=1"}, {"a.jpg", "b.jpg"}});
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const struct {
        std::string text;
        const char* line;
    } rows[] = {
        {"", "line 0"},
        {good.substr(0, good.size() - 1), "line 7"},           // no final line break
        {good.substr(0, good.find("f 1")), "line 5"},          // cut short
        {replaced("vignettor-plan 1", "vignettor-plan 2"), "line 1"},
        {replaced("f 1 b.jpg", "f 2 b.jpg"), "line 6"},        // positions in order
        {replaced("f 1 b.jpg", "f 1 ../b.jpg"), "line 6"},     // never outside the source
        {replaced("f 1 b.jpg", "f 1 /etc/b.jpg"), "line 6"},
        {replaced("end 0123456789ABCDEF", "end 1123456789ABCDEF"), "line 7"},
        {replaced("files 2", "files 99999999999"), "line 4"},
        {good + "more\n", "line 8"},
    };
    for (const auto& row : rows) {
        Plan plan;
        std::string problem;
        EXPECT_FALSE(ParsePlan(row.text, &plan, &problem)) << row.line;
        EXPECT_EQ(problem.rfind(row.line, 0), 0u) << row.line << ": " << problem;
    }
}

TEST(RunState, SettingsLeaveOutWhatOnlyTheMachineChanges) {
    options::BatchOptions a, b;
    b.OpsThreads = 7;
    b.OpsMemoryLimit = 300;
    b.OutputDateDate = a.OutputDateDate + 5;  // the filter is off
    EXPECT_EQ(SettingsDifference(SettingsLines(a), SettingsLines(b)), "");
    b.OutputDateFilter = a.OutputDateFilter = 1;
    EXPECT_NE(SettingsDifference(SettingsLines(a), SettingsLines(b)).find("OutputDateDate"),
              std::string::npos);
    b = a;
    b.MainWidth = 77;
    EXPECT_EQ(SettingsDifference(SettingsLines(a), SettingsLines(b)),
              "MainWidth is \"77\" here and \"100\" in the plan");
    EXPECT_EQ(SettingsDifference({"A=1", "B=2"}, {"A=1"}), "B is \"2\" in the plan and not set here");
    EXPECT_EQ(SettingsDifference({"B=2"}, {"A=1", "B=2"}), "A is \"1\" here and not in the plan");
}

TEST(RunState, ShardsTakeContiguousBlocksOfEveryFile) {
    for (const int64_t total : {0, 1, 5, 7, 100, 100001}) {
        for (const int count : {1, 2, 3, 7, 64}) {
            int64_t next = 0;
            for (int k = 1; k <= count; ++k) {
                int64_t first = 0, end = 0;
                ShardRange(total, k, count, &first, &end);
                EXPECT_EQ(first, next) << total << " " << k << "/" << count;
                EXPECT_LE(end - first, total / count + 1);
                next = end;
            }
            EXPECT_EQ(next, total);
        }
    }
    int k = 0, n = 0;
    EXPECT_TRUE(ParseShardFolderName(ShardFolderName(3, 7), &k, &n));
    EXPECT_EQ(k, 3);
    EXPECT_EQ(n, 7);
    for (const char* bad : {"shard-0-of-2", "shard-3-of-2", "shard-1-of-", "shard-01-of-2", "plan"})
        EXPECT_FALSE(ParseShardFolderName(bad, &k, &n)) << bad;
}

TEST(RunState, RecordsKeepEveryOutcomeAndTheirCellsExactly) {
    FileOutcome made;
    made.position = 4;
    made.made = made.staged = true;
    made.width = 3;
    made.height = 2;
    made.steps.Append(engine::StepRecord::Kind::Step, "Reading");
    made.steps.Append(engine::StepRecord::Kind::Warning, "odd name\twith % in it");
    made.steps.Append(engine::StepRecord::Kind::StopCheck, "");
    made.steps.SetLoaded(300, 200, {{true, "text 1", "Key"}, {false, "", "Empty"}});
    made.cellWidth = 3;
    made.cellHeight = 2;
    for (int i = 0; i < 18; ++i) made.cell.push_back(static_cast<uint8_t>(i * 14));
    FileOutcome failed;
    failed.position = 5;
    failed.code = image::ErrInvalidJpg;
    failed.steps.Append(engine::StepRecord::Kind::CurveMissing, "");

    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    WriteRecordHeader(out, {"0123456789ABCDEF", 2, 3, 4, 6});
    ASSERT_TRUE(WriteOutcome(out, made));
    ASSERT_TRUE(WriteOutcome(out, failed));
    WriteRecordEnd(out, 2);
    std::fclose(out);
    const std::string text(buffer, size);
    std::free(buffer);

    std::string problem;
    EXPECT_TRUE(CheckRecordText(text, &problem)) << problem;
    std::FILE* in = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    {
        RecordReader reader(in);
        RecordHeader header;
        ASSERT_TRUE(reader.ReadHeader(&header));
        EXPECT_EQ(header.planId, "0123456789ABCDEF");
        EXPECT_EQ(header.first, 4);
        for (const FileOutcome* want : {&made, &failed}) {
            FileOutcome got;
            ASSERT_TRUE(reader.Next(&got, true)) << reader.problem();
            EXPECT_EQ(got.position, want->position);
            EXPECT_EQ(got.code, want->code);
            EXPECT_EQ(got.made, want->made);
            EXPECT_EQ(got.staged, want->staged);
            EXPECT_EQ(got.cell, want->cell);
            EXPECT_EQ(got.steps.loadedTexts(), want->steps.loadedTexts());
            ASSERT_EQ(got.steps.events().size(), want->steps.events().size());
            for (size_t i = 0; i < got.steps.events().size(); ++i)
                EXPECT_EQ(got.steps.events()[i].text, want->steps.events()[i].text);
        }
        FileOutcome none;
        EXPECT_FALSE(reader.Next(&none, true));
        EXPECT_TRUE(reader.complete());
    }
    std::fclose(in);

    // Every cut of the record, and every changed byte of its number lines,
    // is a problem, never a crash.
    for (size_t cut = 0; cut < text.size(); ++cut)
        EXPECT_FALSE(CheckRecordText(text.substr(0, cut), &problem)) << cut;
    const size_t cell = text.find("cell ");
    std::string bad = text;
    bad[text.find('\n', cell) - 2] = '!';
    EXPECT_FALSE(CheckRecordText(bad, &problem));
    EXPECT_NE(problem.find("cell"), std::string::npos) << problem;
}

}  // namespace
}  // namespace vig::engine::runstate
