#include "project/MenuLayout.h"
#include "FakePorts.h"
#include "speaker/SpeakerModel.h"

#include <gtest/gtest.h>

#include <map>

namespace {

void CountCommands(const std::vector<CMenuNode>& nodes, std::map<int, int>& counts) {
    for (const CMenuNode& node : nodes) {
        if (node.kind == CMenuNode::Command)
            ++counts[node.id];
        CountCommands(node.children, counts);
    }
}

int RecentLists(const std::vector<CMenuNode>& nodes) {
    int lists = 0;
    for (const CMenuNode& node : nodes)
        lists += (node.kind == CMenuNode::RecentFiles) + RecentLists(node.children);
    return lists;
}

} // namespace

TEST(MenuLayout, TheProjectMenuHoldsEveryProjectCommandOnceAndExportOnlyInTheContextMenu) {
    std::map<int, int> counts;
    CountCommands(MainMenu(true), counts);
    for (const CCommandInfo& info : CommandTable()) {
        const int expected = info.id == kCmdExportVd1 || info.id == kCmdExportSofa ? 0 : 1;
        EXPECT_EQ(counts[info.id], expected) << info.menuText;
    }
    for (int id : {kCmdNew, kCmdOpen, kCmdClose, kCmdSaveAs, kCmdPrintSetup, kCmdSend, kCmdExit,
                   kCmdAbout, kCmdUserGuide, kCmdShortcuts, kCmdExportMap, kCmdExportReport,
                   kCmdTabbedWindows})
        EXPECT_EQ(counts[id], 1) << id;
    EXPECT_EQ(RecentLists(MainMenu(true)), 1);
}

TEST(MenuLayout, WithoutAProjectOnlyFileViewAndHelpAreOffered) {
    const std::vector<CMenuNode> menu = MainMenu(false);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].text, "&File");
    EXPECT_EQ(menu[1].text, "&View");
    EXPECT_EQ(menu[2].text, "&Help");
    std::map<int, int> counts;
    CountCommands(menu, counts);
    for (const auto& [id, count] : counts) {
        EXPECT_EQ(FindCommand(id), nullptr) << "project command " << id << " without a project";
        EXPECT_NE(FindAnyCommand(id), nullptr) << id;
    }
    EXPECT_EQ(counts[kCmdNew] + counts[kCmdOpen] + counts[kCmdPrintSetup] + counts[kCmdExit], 4);
    EXPECT_EQ(RecentLists(menu), 1);
}

TEST(MenuLayout, ToolbarGroupsAreSeparatedAndEveryButtonHasATooltip) {
    const std::vector<int>& bar = ToolbarLayout();
    ASSERT_FALSE(bar.empty());
    EXPECT_NE(bar.front(), 0);
    EXPECT_NE(bar.back(), 0);
    int groups = 1;
    for (std::size_t i = 0; i < bar.size(); ++i) {
        if (bar[i] == 0) {
            EXPECT_NE(bar[i - 1], 0) << "two separators at " << i;
            ++groups;
            continue;
        }
        const CCommandInfo* info = FindAnyCommand(bar[i]);
        ASSERT_NE(info, nullptr) << bar[i];
        EXPECT_FALSE(info->tooltip.empty()) << bar[i];
    }
    // The specified five groups with the undo/redo pair after the file group.
    EXPECT_EQ(groups, 7);
    EXPECT_EQ(bar[5], kCmdUndo);
    EXPECT_EQ(bar[6], kCmdRedo);
    EXPECT_EQ(bar[8], kCmdViewMinusX);
    EXPECT_EQ(bar[bar.size() - 2], 0);
}

TEST(MenuLayout, AvailabilityFollowsTheActiveProject) {
    EXPECT_TRUE(IsCommandAvailable(kCmdNew, nullptr));
    EXPECT_TRUE(IsCommandAvailable(kCmdRecentFirst + 3, nullptr));
    EXPECT_FALSE(IsCommandAvailable(kCmdRecentFirst + kRecentFileCount, nullptr));
    EXPECT_FALSE(IsCommandAvailable(12345, nullptr));
    for (const CCommandInfo& info : CommandTable())
        EXPECT_FALSE(IsCommandAvailable(info.id, nullptr)) << info.menuText;
    for (int id : {kCmdClose, kCmdSaveAs, kCmdSend, kCmdExportMap, kCmdExportReport})
        EXPECT_FALSE(IsCommandAvailable(id, nullptr)) << id;
    EXPECT_TRUE(IsCommandAvailable(kCmdUserGuide, nullptr));

    CDocFixture f;
    for (const CCommandInfo& info : CommandTable())
        EXPECT_EQ(IsCommandAvailable(info.id, &f.doc), f.doc.IsCommandEnabled(info.id))
            << info.menuText;
    EXPECT_TRUE(IsCommandAvailable(kCmdRoomParameters, &f.doc));
    EXPECT_FALSE(IsCommandAvailable(kCmdRemoveInstallation, &f.doc));
    f.AddModel(DirectionalSpeaker(1));
    f.Install(1, 1);
    EXPECT_TRUE(IsCommandAvailable(kCmdRemoveInstallation, &f.doc));
    EXPECT_TRUE(IsCommandAvailable(kCmdSaveAs, &f.doc));
}

TEST(MenuLayout, AcceleratorsOfTheFileCommands) {
    EXPECT_EQ(Accelerator(kCmdNew), "Ctrl+N");
    EXPECT_EQ(Accelerator(kCmdSave), "Ctrl+S");
    EXPECT_EQ(Accelerator(kCmdPreviousPane), "Shift+F6");
    EXPECT_EQ(Accelerator(kCmdRoomParameters), "");
    EXPECT_EQ(Accelerator(kCmdExit), "Ctrl+Q");
    EXPECT_EQ(Accelerator(kCmdSaveAs), "Ctrl+Shift+S");
    EXPECT_EQ(Accelerator(kCmdClose), "Ctrl+W");
    EXPECT_EQ(Accelerator(kCmdUserGuide), "F1");
}

TEST(MenuLayout, HelpListsEveryShortcutOnceAndNoKeyServesTwoCommands) {
    const std::vector<CShortcut> list = KeyboardShortcuts();
    std::map<std::string, std::string> byKeys;
    for (const CShortcut& s : list) {
        EXPECT_FALSE(s.what.empty()) << s.keys;
        EXPECT_EQ(s.what.find('&'), std::string::npos) << s.what;
        EXPECT_TRUE(byKeys.emplace(s.keys, s.what).second) << s.keys << " twice";
    }
    // Every key a menu command has is listed with that command.
    std::vector<int> ids;
    for (const CCommandInfo& info : AppCommandTable())
        ids.push_back(info.id);
    for (const CCommandInfo& info : CommandTable())
        ids.push_back(info.id);
    for (int id : ids) {
        std::vector<std::string> keys = CommandShortcuts(id);
        if (!Accelerator(id).empty())
            keys.push_back(Accelerator(id));
        for (const std::string& k : keys)
            EXPECT_EQ(byKeys.count(k), 1u) << k;
    }
    EXPECT_EQ(byKeys["Ctrl+Q"], "Exit");
    EXPECT_EQ(byKeys["Delete"].rfind("Remove the selected installations", 0), 0u);
}
