#include "framework/answer.h"

#include <cstdio>

namespace tavlo {

unsigned ScriptedDialogs::message(const Message& m)
{
    shown.push_back(m);
    if (script.empty())
        return m.defaultButton;
    const unsigned button = script.front();
    script.pop_front();
    return button;
}

void ScriptedDialogs::halt(const std::string&)
{
    ++halts;
}

bool ScriptedDialogs::buildFilter(int tableNo, std::string& expression)
{
    return filterBuilder && filterBuilder(tableNo, expression);
}

namespace {
template <typename T> bool takeFrom(std::deque<T>& queue, T& into)
{
    if (queue.empty())
        return false;
    into = queue.front();
    queue.pop_front();
    return true;
}
} // namespace

bool ScriptedDialogs::pickFile(FileChoice& choice)
{
    dialogsShown.push_back(choice.title);
    return takeFrom(files, choice.path);
}

bool ScriptedDialogs::pickFont(std::string& font)
{
    dialogsShown.push_back(font);
    return takeFrom(fonts, font);
}

bool ScriptedDialogs::pickColor(const std::string& title, int32_t& colour)
{
    dialogsShown.push_back(title);
    return takeFrom(colours, colour);
}

int32_t ScriptedDialogs::pickDate(int32_t initial)
{
    datesAsked.push_back(initial);
    if (dates.empty())
        return initial;
    int32_t d = dates.front();
    dates.pop_front();
    return d;
}

std::string oneLine(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 1);
    for (char c : text) {
        if (c == '|')
            c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out.push_back(c);
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string oneLine(const Message& m)
{
    return oneLine(m.caption.empty() ? m.text : m.caption + ": " + m.text);
}

unsigned ConsoleAnswers::message(const Message& m)
{
    std::string out = oneLine(m);
    out.push_back('\n');
    // One write, so lines of two contexts never interleave.
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
    // Nobody is there to answer: a question is declined (never "try again" for ever), a notice
    // acknowledged.
    if (m.buttons & BUTTON_NO)
        return BUTTON_NO;
    if (m.buttons & BUTTON_CANCEL)
        return BUTTON_CANCEL;
    return m.defaultButton;
}

void ConsoleAnswers::halt(const std::string& reason)
{
    throw HaltProgram{reason};
}

} // namespace tavlo
