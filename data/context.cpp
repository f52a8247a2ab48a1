#include "data/context.h"

namespace TLFI {
namespace {
tavlo::ErrorClass* shared = nullptr;
tavlo::INIClass* sharedSettings = nullptr;
bool initialised = false;
} // namespace

void INIT(tavlo::ErrorClass& errors, tavlo::INIClass* settings)
{
    if (initialised)
        return;
    initialised = true;
    shared = &errors;
    sharedSettings = settings;
}

void KILL()
{
    initialised = false;
    shared = nullptr;
    sharedSettings = nullptr;
}

tavlo::ErrorClass& errorManager()
{
    static tavlo::ErrorClass privateManager;
    return shared ? *shared : privateManager;
}

tavlo::INIClass* settings()
{
    return sharedSettings;
}
} // namespace TLFI

namespace tavlo {

Context::Context(ErrorClass* errors) : errors_(errors ? errors : &TLFI::errorManager()) {}

Context::~Context()
{
    // Aliases first: they share the files of their tables.
    for (int i = kTableCount - 1; i >= 0; --i)
        if (managers_[i])
            managers_[i]->KILL();
}

unsigned Context::say(const Message& m)
{
    if (AnswerService* answers = errors_->answers())
        return answers->message(m);
    ConsoleAnswers console;
    return console.message(m);
}

FileManager& Context::access(Tbl t)
{
    auto& m = managers_[static_cast<int>(t)];
    if (!m)
        m = std::make_unique<FileManager>(*this, t);
    return *m;
}

void Context::dropReadAhead()
{
    for (auto& m : managers_)
        if (m)
            m->dropReadAhead();
}

RelationManager& Context::relate(Tbl t)
{
    auto& r = relations_[static_cast<int>(t)];
    if (!r)
        r = std::make_unique<RelationManager>(*this, t);
    return *r;
}

TableFile* Context::findFile(const std::string& path)
{
    auto it = files_.find(path);
    if (it == files_.end())
        return nullptr;
    ++it->second.users;
    return it->second.file.get();
}

TableFile* Context::addFile(std::unique_ptr<TableFile> file)
{
    auto& f = files_[file->path()];
    f.file = std::move(file);
    f.users = 1;
    return f.file.get();
}

void Context::releaseFile(TableFile* file)
{
    for (auto it = files_.begin(); it != files_.end(); ++it) {
        if (it->second.file.get() == file) {
            if (--it->second.users <= 0)
                files_.erase(it);
            return;
        }
    }
}

unsigned say(Context& ctx, const std::string& text, const char* caption, Icon icon,
             unsigned buttons, unsigned defaultButton)
{
    return ctx.say({text, caption, icon, buttons, defaultButton});
}

} // namespace tavlo
