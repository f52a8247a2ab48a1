#include "data/exchangerun.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "data/context.h"
#include "data/exchange.h"
#include "data/record.h"
#include "data/store.h"

namespace tavlo::exchange {
using deltekst::Type;

Run::Run(Context& ctx, std::string& fileName, const char* defaultName)
    : ctx_(ctx), fileName_(fileName)
{
    std::error_code ec;
    std::filesystem::path here = std::filesystem::current_path(ec);
    fileName_ = (ec ? std::filesystem::path(defaultName) : here / defaultName).string();
}

void Run::count()
{
    ++counter_;
    if (progressChanged)
        progressChanged();
}

void Run::resetCount()
{
    counter_ = 0;
    if (progressChanged)
        progressChanged();
}

bool askYes(Context& ctx, const std::string& question)
{
    return say(ctx, question, "Advarsel", Icon::Question, BUTTON_YES | BUTTON_NO, BUTTON_NO) ==
           BUTTON_YES;
}

void sayError(Context& ctx, const std::string& text)
{
    say(ctx, text, "Feil", Icon::Hand);
}

std::string fileError(int errnum)
{
    return std::to_string(errnum) + " - " + fileErrorText(errnum);
}

std::string storeError(Context& ctx)
{
    const ErrorState& s = ctx.errorState();
    return std::to_string(s.currentErrorCode) + " - " +
           (s.currentErrorText.empty() ? "Ukjent feil" : s.currentErrorText);
}

std::string storeError(const StoreError& err)
{
    return std::to_string(err.code) + " - " + err.text;
}

Outcome createExportFile(Context& ctx, const std::string& file, bool confirmed, std::ofstream& out)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(file, ec) && !confirmed &&
        !askYes(ctx, "Filen " + file + " finnes fra før. Vil du overskrive filen"))
        return Outcome::Declined;
    errno = 0;
    out.open(file, std::ios::binary | std::ios::trunc);
    if (!out || fs::is_directory(file, ec)) {
        sayError(ctx, "Det oppsto feil under opprettelse av " + file + "|" +
                          fileError(errno ? errno : EISDIR));
        return Outcome::Failed;
    }
    return Outcome::Completed;
}

void sayExportError(Context& ctx)
{
    sayError(ctx, "Det oppsto feil under eksport:|" + fileError(errno ? errno : EIO));
}

Outcome finishExport(Context& ctx, std::ofstream& out, const deltekst::Writer& writer)
{
    errno = 0;
    out.close();
    if (!out) {
        sayExportError(ctx);
        return Outcome::Failed;
    }
    if (writer.unrepresentable() > 0)
        say(ctx,
            std::to_string(writer.unrepresentable()) +
                " tekster hadde tegn som ikke finnes i tegnsettet Windows-1252. De er skrevet "
                "som '?'.",
            "Advarsel", Icon::Exclamation);
    say(ctx, "Eksporten er fullført", "Info", Icon::Information);
    return Outcome::Completed;
}

Place placeOf(const Record& r, const std::string& name)
{
    Place p;
    p.field = r.decl().fieldNo(name);
    if (p.field < 0)
        p.memo = r.decl().memoNo(name);
    return p;
}

int fittedWidth(const Record& r, Place p, Type type, int width)
{
    if (type != Type::Text)
        return width;
    if (p.field >= 0)
        return std::min(width, r.decl().fields[p.field].size - 1);
    if (p.memo >= 0)
        return std::min(width, static_cast<int>(r.decl().memos[p.memo].size));
    return width;
}

deltekst::Value valueOf(const Record& r, Place p, Type type)
{
    if (p.memo >= 0)
        return r.memo(p.memo);
    if (p.field < 0)
        return std::string();
    if (type == Type::Text)
        return r.str(p.field);
    if (type == Type::Decimal)
        return deltekst::formatDecimal(Decimal::fromCents(r.num(p.field)), 2);
    return std::to_string(r.num(p.field));
}

bool store(Record& r, Place p, Type type, const std::string& name, const std::string& text,
           std::string& problem)
{
    if (p.memo >= 0) {
        r.setMemo(p.memo, text);
        return true;
    }
    if (p.field < 0)
        return true;
    const FieldDecl& f = r.decl().fields[p.field];
    if (type == Type::Text) {
        r.setStr(p.field, text);
    } else if (type == Type::Decimal) {
        const Decimal d = deltekst::Reader::decimal(text, 2);
        if (!d.fits(f.size, 2)) {
            problem = "Feltet " + name + " er for stort: \"" + text + "\"";
            return false;
        }
        r.setNum(p.field, d.toCents());
    } else {
        const int64_t v = deltekst::Reader::integer(text);
        // A byte keeps 0 to 255; anything else would come back as another number.
        if (f.type == FieldType::BYTE && (v < 0 || v > 255)) {
            problem = "Feltet " + name + " må være et tall fra 0 til 255: \"" + text + "\"";
            return false;
        }
        r.setNum(p.field, v);
    }
    return true;
}

} // namespace tavlo::exchange
