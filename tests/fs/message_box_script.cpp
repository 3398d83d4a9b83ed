#include "tests/fs/scratch_dir.h"

namespace {

MessageBoxScript* activeScript = nullptr;

} // namespace

MessageBoxScript::MessageBoxScript(std::vector<int> answers)
    : _answers(std::move(answers)), _previous(SetMessageBoxFunction(&MessageBoxScript::Answer)) {
    activeScript = this;
}

MessageBoxScript::~MessageBoxScript() {
    SetMessageBoxFunction(_previous);
    activeScript = nullptr;
}

int MessageBoxScript::Answer(void*, const char* text, const char* caption, uint32_t style) {
    MessageBoxScript& script = *activeScript;
    script._shown.push_back({text ? text : "", caption ? caption : "<null>", style});
    const size_t index = script._shown.size() - 1;
    return index < script._answers.size() ? script._answers[index] : answerCancel;
}
