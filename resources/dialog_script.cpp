#include "resources/dialog_script.h"

#include "resources/dialog_script_internal.h"

#include <deque>
#include <utility>

namespace {

struct ScriptState {
    std::deque<DialogScript> queue;
    std::vector<int> shown;
    int unfinished = 0;
};

ScriptState& State() {
    static ScriptState state;
    return state;
}

} // namespace

void QueueDialogScript(DialogScript script) {
    State().queue.push_back(std::move(script));
}

std::size_t PendingDialogScripts() {
    return State().queue.size();
}

void ClearDialogScripts() {
    State() = ScriptState{};
}

const std::vector<int>& ShownDialogs() {
    return State().shown;
}

int UnfinishedScriptedDialogs() {
    return State().unfinished;
}

void NoteDialogShown(int templateId) {
    State().shown.push_back(templateId);
}

std::optional<DialogScript> TakeDialogScript() {
    ScriptState& state = State();
    if (state.queue.empty()) {
        return std::nullopt;
    }
    DialogScript script = std::move(state.queue.front());
    state.queue.pop_front();
    return script;
}

void NoteUnfinishedScript() {
    ++State().unfinished;
}
