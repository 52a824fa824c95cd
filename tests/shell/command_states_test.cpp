#include "shell/command_states.h"
#include "resources/command_ids.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::map<UINT, bool> States(const CommandStateInputs& in) {
    std::map<UINT, bool> states;
    for (const CommandEnabled& state : ComputeCommandStates(in)) {
        states[state.id] = state.enabled;
    }
    return states;
}

TEST(CommandStates, EmptyListDisablesEverythingThatNeedsResultsOrASelection) {
    auto states = States({});
    for (UINT id : {ID_EDIT_COPY, ID_EDIT_DELETE_CHECKED, ID_EDIT_COPY_SELECTED, ID_EDIT_REMOVE_SELECTED,
                    ID_EDIT_REMOVE, ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED, ID_EDIT_COPY_VALUE,
                    ID_EDIT_MARK_ALL, ID_EDIT_MARK_NONE, ID_EDIT_MARK_INVERT}) {
        EXPECT_FALSE(states.at(id)) << id;
    }
    EXPECT_TRUE(states.at(ID_FILE_OPEN_REGEDIT));
    EXPECT_TRUE(states.at(ID_RIBBON_REMOVE));
    // Save and Refresh are never disabled, so the rules never touch them; Export reports the empty list.
    EXPECT_EQ(states.count(ID_FILE_SAVE) + states.count(ID_VIEW_REFRESH), 0u);
    EXPECT_TRUE(states.at(ID_FILE_EXPORT));
}

TEST(CommandStates, SelectedValueAndSelectedKeyEnableDifferentDeletes) {
    CommandStateInputs value;
    value.count = 3;
    value.selected = 1;
    value.selectedHasKeyPath = true;
    auto states = States(value);
    EXPECT_TRUE(states.at(ID_EDIT_DELETE_SELECTED));
    EXPECT_TRUE(states.at(ID_EDIT_DELETE_KEY_SELECTED));
    EXPECT_TRUE(states.at(ID_EDIT_COPY_VALUE));
    EXPECT_TRUE(states.at(ID_EDIT_REMOVE_SELECTED));
    EXPECT_TRUE(states.at(ID_EDIT_MARK_ALL));
    EXPECT_TRUE(states.at(ID_EDIT_DELETE_CHECKED));

    CommandStateInputs key = value;
    key.selectedIsKey = true;
    states = States(key);
    EXPECT_FALSE(states.at(ID_EDIT_DELETE_SELECTED));
    EXPECT_FALSE(states.at(ID_EDIT_COPY_VALUE));
    EXPECT_TRUE(states.at(ID_EDIT_DELETE_KEY_SELECTED));

    // A value directly in a hive root has no key path to delete.
    CommandStateInputs rootValue = value;
    rootValue.selectedHasKeyPath = false;
    EXPECT_FALSE(States(rootValue).at(ID_EDIT_DELETE_KEY_SELECTED));

    // Results but no selection: only the list-wide commands.
    CommandStateInputs none = value;
    none.selected = -1;
    states = States(none);
    EXPECT_FALSE(states.at(ID_EDIT_COPY));
    EXPECT_FALSE(states.at(ID_EDIT_DELETE_KEY_SELECTED));
    EXPECT_TRUE(states.at(ID_EDIT_REMOVE));
    EXPECT_TRUE(states.at(ID_EDIT_MARK_INVERT));
}

TEST(CommandStates, RemoteResultsCanBeCopiedButNotChanged) {
    CommandStateInputs remote;
    remote.count = 2;
    remote.selected = 0;
    remote.remote = true;
    remote.selectedHasKeyPath = true;
    auto states = States(remote);
    for (UINT id : {ID_FILE_OPEN_REGEDIT, ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED, ID_EDIT_DELETE_CHECKED,
                    ID_FILE_EXPORT}) {
        EXPECT_FALSE(states.at(id)) << id;
    }
    for (UINT id : {ID_EDIT_COPY, ID_EDIT_COPY_SELECTED, ID_EDIT_COPY_VALUE, ID_EDIT_MARK_ALL, ID_EDIT_REMOVE_SELECTED,
                    ID_EDIT_REMOVE}) {
        EXPECT_TRUE(states.at(id)) << id;
    }
}

TEST(CommandRouting, FrameKeepsItsOwnCommandsAndPassesTheRest) {
    for (UINT id : {ID_FILE_OPEN_ASADMIN, ID_APP_EXIT, ID_EDIT_PREFERENCES, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                    ID_VIEW_TREEPANE, ID_VIEW_RIBBON, ID_HELP_HELP, ID_APP_ABOUT, ID_PANE_CLOSE}) {
        EXPECT_TRUE(IsFrameCommand(id)) << id;
    }
    for (UINT id :
         {ID_FILE_OPEN_REGEDIT, ID_FILE_SAVE, ID_FILE_EXPORT, ID_EDIT_DELETE_SELECTED, ID_EDIT_DELETE_KEY_SELECTED,
          ID_EDIT_REMOVE_SELECTED, ID_EDIT_COPY, ID_EDIT_COPY_SELECTED, ID_EDIT_COPY_VALUE, ID_EDIT_DELETE_CHECKED,
          ID_EDIT_REMOVE, ID_EDIT_MARK_ALL, ID_EDIT_MARK_NONE, ID_EDIT_MARK_INVERT, ID_VIEW_REFRESH,
          ID_OPEN_FILE_LOCATION, ID_GOTO_KEY_BROWSER, ID_TREE_CHECK_HIVES, ID_TREE_INVERT_TYPES}) {
        EXPECT_FALSE(IsFrameCommand(id)) << id;
    }
}

} // namespace
