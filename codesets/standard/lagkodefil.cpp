// tavlo-lagkodefil: makes the standard code file at build time from our own list of codes and the
// postal places of the npm package norway-postal-codes (its data file, converted/
// postal-codes-simple.js: "module.exports=" followed by one JSON object, postal number to place).
// The lines are written by the same code that exports code sets, so the file reads back exactly
// as an export would.
//
//   tavlo-lagkodefil KODER.TXT POSTAL-CODES-SIMPLE.JS UTFIL DATO
#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/context.h"
#include "data/exchange.h"
#include "framework/date.h"
#include "framework/text.h"

namespace {
using namespace tavlo;

struct Failure {
    std::string line;
};

using Codes = std::map<std::pair<int32_t, int32_t>, std::string>;

void add(Codes& codes, const Record& kod, const std::string& where)
{
    std::string problem;
    auto line = codeline::format(kod, &problem);
    if (!line)
        throw Failure{where + ": " + problem};
    auto key = std::make_pair(kod.get(KOD::GRUPPE), kod.get(KOD::NR));
    if (key.first == 0 || key.second == 0)
        throw Failure{where + ": gruppe og nummer må være forskjellige fra 0"};
    if (!codes.emplace(key, *line).second)
        throw Failure{where + ": gruppe " + std::to_string(key.first) + ", nr " +
                      std::to_string(key.second) + " finnes fra før"};
}

std::string contents(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw Failure{"Kan ikke lese " + file};
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// gruppe;nr;tekst;FELT=verdi;...
void readOwnCodes(Codes& codes, const std::string& file)
{
    std::istringstream in(contents(file));
    std::string line;
    Record kod(table(Tbl::KODEVERK));
    for (int no = 1; std::getline(in, line); ++no) {
        const std::string where = file + ":" + std::to_string(no);
        if (text::trim(line).empty() || line.front() == '#')
            continue;
        std::vector<std::string> parts;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ';');)
            parts.push_back(cell);
        if (parts.size() < 3)
            throw Failure{where + ": ventet gruppe;nr;tekst"};
        kod.clear();
        if (!kod.setText(KOD::GRUPPE.no, parts[0]) || !kod.setText(KOD::NR.no, parts[1]) ||
            !kod.setText(KOD::TEKST.no, parts[2]))
            throw Failure{where + ": ugyldig gruppe, nummer eller tekst"};
        for (std::size_t i = 3; i < parts.size(); ++i) {
            auto eq = parts[i].find('=');
            int field = eq == std::string::npos ? -1 : kod.decl().fieldNo(parts[i].substr(0, eq));
            if (field < 0 || !kod.setText(field, parts[i].substr(eq + 1)))
                throw Failure{where + ": ugyldig felt eller verdi: " + parts[i]};
        }
        add(codes, kod, where);
    }
}

// Group 101: code = postal number, text = place, as the register has them.
void readPostalPlaces(Codes& codes, const std::string& file)
{
    const std::string js = contents(file);
    const auto open = js.find('{'), close = js.rfind('}');
    QJsonParseError error;
    QJsonDocument doc;
    if (open != std::string::npos && close != std::string::npos && open < close)
        doc = QJsonDocument::fromJson(QByteArray(js.data() + open, close - open + 1), &error);
    if (!doc.isObject())
        throw Failure{file + ": ventet module.exports={\"postnummer\":\"poststed\",...}"};
    const QJsonObject places = doc.object();
    Record kod(table(Tbl::KODEVERK));
    for (auto it = places.begin(); it != places.end(); ++it) {
        const std::string number = it.key().toStdString();
        const std::string place = it.value().toString().toStdString();
        const std::string where = file + ": " + number;
        kod.clear();
        kod.set(KOD::GRUPPE, 101);
        if (number.size() != 4 || number.find_first_not_of("0123456789") != std::string::npos ||
            !kod.setText(KOD::NR.no, number) || text::trim(place).empty() ||
            !kod.setText(KOD::TEKST.no, place))
            throw Failure{where + ": ugyldig postnummer eller poststed"};
        add(codes, kod, where);
    }
    // The register has some five thousand places: far fewer means the file is not what we expect.
    if (places.size() < 4000)
        throw Failure{file + ": bare " + std::to_string(places.size()) + " poststeder"};
}

void write(const Codes& codes, const std::string& file, int32_t day)
{
    // Made beside the target and renamed into place: a failed run leaves no half file behind.
    const std::string part = file + ".ny";
    ConsoleAnswers console;
    ErrorClass errors(&console);
    Context ctx(&errors);
    if (LAGHEADER(ctx, part, codeline::kProgram, codeline::kHeaderId, codeline::kVersion, day,
                  true) != 1)
        throw Failure{"Kan ikke skrive " + part};
    std::ofstream out(part, std::ios::binary | std::ios::app);
    for (const auto& [key, line] : codes)
        out << line << "\r\n";
    out.close();
    std::error_code ec;
    if (!out || (std::filesystem::rename(part, file, ec), ec)) {
        std::filesystem::remove(part, ec);
        throw Failure{"Kan ikke skrive " + file};
    }
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc != 5)
            throw Failure{"Bruk: tavlo-lagkodefil KODER.TXT POSTAL-CODES-SIMPLE.JS UTFIL DATO"};
        auto day = date::parse(argv[4]);
        if (!day || *day == 0)
            throw Failure{std::string("Ugyldig dato: ") + argv[4]};
        Codes codes;
        readOwnCodes(codes, argv[1]);
        readPostalPlaces(codes, argv[2]);
        write(codes, argv[3], *day);
    } catch (const Failure& f) {
        std::fprintf(stderr, "tavlo-lagkodefil: %s\n", f.line.c_str());
        return 1;
    }
    return 0;
}
