#pragma once
// Process-wide globals of the data module (GLO::…) and the mark lists (GLQ::…). They are shared
// by every context and, as in the earlier versions, not locked.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/decimal.h"

namespace tavlo {

enum class NameVar : uint8_t;
struct TableDecl;

struct TagEntry {
    int32_t id;
    int32_t order; // the order of marking
};

// The folder that holds the table files (the program's working folder by default).
const std::string& dataFolder();
void setDataFolder(std::string folder);
// A file of the data folder.
std::string dataPath(const std::string& fileName);
// The GLO variable that names a table's file (the invoice pair, which archive mode swaps); an
// empty text for a table whose file has a fixed name.
const std::string& nameVariable(NameVar v);
// The name of the file a table is read from now.
std::string tableFileName(const TableDecl& t);

} // namespace tavlo

namespace GLO {
inline std::string OWNERNAME;
inline int32_t ARKIV_AKTIV = 0;
inline std::string FAKTURA_PATH = "FAKTURA.TPS";
inline std::string FAKLINJE_PATH = "FAKLINJE.TPS";
inline std::string BAKTURA_PATH = "BAKTURA.TPS";
inline std::string BAKLINJE_PATH = "BAKLINJE.TPS";
inline int32_t PREVIEW = 0;
inline int32_t FRAME_W = 0;
inline int32_t FRAME_H = 0;
inline int32_t STD_MVA_SATS = 0;
inline int32_t STD_MVA_TYPE = 0;
inline tavlo::Decimal AVRUNDING;
inline int32_t VIS_FAKTURALINJEDATO = 0;
inline int32_t FAST_FILTERID_FAKTURA = 0;
inline int32_t FAST_FILTERID_KUNDE = 0;
inline int32_t FAST_FILTERID_PRODUKT = 0;
inline int32_t FAST_FILTERID_GRUNNLAG = 0;
inline int32_t FAST_FILTERID_PROSJEKT = 0;
inline std::string FILTER;
inline std::string HEADERPTH;
// The code-set exchange file last named in the window "Kodeverksvedlikehold".
inline std::string ASCIIKODEVERKPTH;
// The customer exchange file last named in the window "Kundevedlikehold".
inline std::string KUNDEIMPORTPTH;
// The product exchange file last named in the window "Produktvedlikehold".
inline std::string PRODUKTIMPORTPTH;

// The owner password of the parameter table.
inline constexpr const char* kOwnerPassword = "grusveienskrapa";
// Archive mode swaps the live invoice files with the archive pair.
void setArchiveMode(bool on);
} // namespace GLO

namespace GLQ {
inline std::vector<tavlo::TagEntry> TAG_FAKTURA;
inline std::vector<tavlo::TagEntry> TAG_GRUNNLAG;
inline std::vector<tavlo::TagEntry> TAG_KUNDE;
} // namespace GLQ
