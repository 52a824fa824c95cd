// The one rule set behind the frame's command states and the results context menu: every case of the
// context menu, and that it never offers a command the frame refuses.
#include "results/result_command_rules.h"

#include "resources/command_ids.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using States = std::map<UINT, bool>;

States Menu(const CommandStateInputs& in) {
    States states;
    for (const CommandEnabled& state : ContextMenuStates(in)) {
        states[state.id] = state.enabled;
    }
    return states;
}

States Frame(const CommandStateInputs& in) {
    States states;
    for (const CommandEnabled& state : ComputeCommandStates(in)) {
        states[state.id] = state.enabled;
    }
    return states;
}

const UINT kMenuCommands[] = {
    ID_FILE_OPEN_REGEDIT,    ID_OPEN_FILE_LOCATION, ID_GOTO_KEY_BROWSER,     ID_EDIT_COPY,
    ID_EDIT_COPY_VALUE,      ID_EDIT_COPY_SELECTED, ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED,
    ID_EDIT_REMOVE_SELECTED, ID_EDIT_MARK_ALL,      ID_EDIT_MARK_NONE,       ID_EDIT_MARK_INVERT,
    ID_EDIT_DELETE_CHECKED,  ID_EDIT_REMOVE,        ID_FILE_EXPORT,          ID_VIEW_REFRESH};

CommandStateInputs ValueSelected() {
    CommandStateInputs in;
    in.count = 4;
    in.selected = 2;
    in.rowSelected = true;
    in.selectedHasKeyPath = true;
    return in;
}

void ExpectDisabled(const States& states, std::initializer_list<UINT> ids) {
    for (UINT id : ids) {
        EXPECT_FALSE(states.at(id)) << id;
    }
}
void ExpectEnabled(const States& states, std::initializer_list<UINT> ids) {
    for (UINT id : ids) {
        EXPECT_TRUE(states.at(id)) << id;
    }
}

TEST(ContextMenuRules, EveryMenuCommandHasAState) {
    const States states = Menu(ValueSelected());
    for (UINT id : kMenuCommands) {
        EXPECT_EQ(states.count(id), 1u) << id;
    }
}

TEST(ContextMenuRules, WithoutASelectionOnlyListWideCommands) {
    CommandStateInputs in = ValueSelected();
    in.selected = -1;
    in.rowSelected = false;
    const States states = Menu(in);
    ExpectDisabled(states, {ID_EDIT_DELETE_SELECTED, ID_FILE_OPEN_REGEDIT, ID_EDIT_REMOVE_SELECTED, ID_EDIT_COPY,
                            ID_EDIT_COPY_SELECTED, ID_EDIT_COPY_VALUE, ID_OPEN_FILE_LOCATION,
                            ID_EDIT_DELETE_KEY_SELECTED, ID_GOTO_KEY_BROWSER});
    ExpectEnabled(states, {ID_EDIT_MARK_ALL, ID_EDIT_MARK_NONE, ID_EDIT_MARK_INVERT, ID_EDIT_DELETE_CHECKED,
                           ID_EDIT_REMOVE, ID_FILE_EXPORT, ID_VIEW_REFRESH});
    // The menu bar still opens the registry editor (at the key browser's key, or by itself).
    EXPECT_TRUE(Frame(in).at(ID_FILE_OPEN_REGEDIT));
}

TEST(ContextMenuRules, ASelectedRowWithoutARecordOffersNothingOfTheRow) {
    CommandStateInputs in = ValueSelected();
    in.selected = -1;
    const States states = Menu(in);
    ExpectDisabled(states, {ID_OPEN_FILE_LOCATION, ID_EDIT_DELETE_SELECTED, ID_EDIT_COPY_VALUE, ID_GOTO_KEY_BROWSER,
                            ID_EDIT_DELETE_KEY_SELECTED, ID_EDIT_COPY, ID_EDIT_COPY_SELECTED, ID_EDIT_REMOVE_SELECTED});
    EXPECT_TRUE(states.at(ID_FILE_OPEN_REGEDIT));
}

TEST(ContextMenuRules, KeyAndValueResults) {
    CommandStateInputs value = ValueSelected();
    value.fileLocationFound = true;
    ExpectEnabled(Menu(value), {ID_EDIT_DELETE_SELECTED, ID_EDIT_COPY_VALUE, ID_EDIT_DELETE_KEY_SELECTED,
                                ID_OPEN_FILE_LOCATION, ID_GOTO_KEY_BROWSER, ID_EDIT_COPY, ID_FILE_OPEN_REGEDIT});

    CommandStateInputs key = ValueSelected();
    key.selectedIsKey = true;
    const States states = Menu(key);
    ExpectDisabled(states, {ID_EDIT_DELETE_SELECTED, ID_EDIT_COPY_VALUE, ID_OPEN_FILE_LOCATION});
    ExpectEnabled(states, {ID_EDIT_DELETE_KEY_SELECTED, ID_EDIT_COPY, ID_EDIT_COPY_SELECTED});

    // A result in a hive root itself: its key is never deleted.
    CommandStateInputs root = ValueSelected();
    root.selectedHasKeyPath = false;
    EXPECT_FALSE(Menu(root).at(ID_EDIT_DELETE_KEY_SELECTED));
    EXPECT_TRUE(Menu(root).at(ID_EDIT_DELETE_SELECTED));

    // Open file location needs an existing folder found in the result.
    EXPECT_FALSE(Menu(ValueSelected()).at(ID_OPEN_FILE_LOCATION));
}

TEST(ContextMenuRules, AnEmptyListOffersOnlyRefreshAndTheMenuBarsSave) {
    CommandStateInputs in;
    const States states = Menu(in);
    for (UINT id : kMenuCommands) {
        EXPECT_EQ(states.at(id), id == ID_VIEW_REFRESH) << id;
    }
}

// Fault guarded against: remote results could never be taken out of the list, although removing a row
// touches no registry.
TEST(ContextMenuRules, RemoteResultsNeitherChangeNorOpenNorCopyButCanBeRemoved) {
    CommandStateInputs in = ValueSelected();
    in.remote = true;
    const States states = Menu(in);
    ExpectDisabled(states, {ID_EDIT_DELETE_SELECTED, ID_FILE_OPEN_REGEDIT, ID_EDIT_COPY, ID_EDIT_COPY_SELECTED,
                            ID_EDIT_COPY_VALUE, ID_EDIT_DELETE_KEY_SELECTED, ID_EDIT_DELETE_CHECKED, ID_FILE_EXPORT});
    ExpectEnabled(states,
                  {ID_EDIT_MARK_ALL, ID_VIEW_REFRESH, ID_GOTO_KEY_BROWSER, ID_EDIT_REMOVE_SELECTED, ID_EDIT_REMOVE});
}

TEST(ContextMenuRules, GotoKeyNeedsTheKeyBrowserAndAnotherKey) {
    CommandStateInputs in = ValueSelected();
    in.keyTreeOn = false;
    EXPECT_FALSE(Menu(in).at(ID_GOTO_KEY_BROWSER));
    in.keyTreeOn = true;
    in.selectedKeyIsFilter = true;
    EXPECT_FALSE(Menu(in).at(ID_GOTO_KEY_BROWSER));
}

// Fault guarded against: the context menu and the menu bar computed their states apart and offered
// different answers for the same selection.
TEST(ContextMenuRules, TheMenuNeverOffersWhatTheFrameRefuses) {
    for (int mask = 0; mask < (1 << 9); ++mask) {
        CommandStateInputs in;
        in.count = (mask & 1) ? 3 : 0;
        in.rowSelected = in.count > 0 && (mask & 2);
        in.selected = in.rowSelected && (mask & 4) ? 1 : -1;
        in.remote = (mask & 8) != 0;
        in.selectedIsKey = (mask & 16) != 0;
        in.selectedHasKeyPath = (mask & 32) != 0;
        in.keyTreeOn = (mask & 64) != 0;
        in.selectedKeyIsFilter = (mask & 128) != 0;
        in.fileLocationFound = (mask & 256) != 0;
        const States frame = Frame(in);
        for (const auto& [id, enabled] : Menu(in)) {
            const auto rule = frame.find(id);
            if (enabled && rule != frame.end()) {
                EXPECT_TRUE(rule->second) << "command " << id << " inputs " << mask;
            }
            if (rule != frame.end()) {
                EXPECT_EQ(CommandAllowed(id, in), rule->second) << id;
            }
        }
    }
}

} // namespace
