#pragma once
// Lookups by id over the alias tables, so that a lookup never disturbs the record a form is
// editing: VIS… give the display text of a key, SET… load the record into the alias buffer and
// say whether it exists. A missing record is never an error: an empty text or false.
#include <cstdint>
#include <optional>
#include <string>

namespace tavlo {

class Context;
class ViewManager;
struct PickList;

// The text of a code of a group; empty when the group has no such code. Nothing is said.
std::string codeText(Context& ctx, int32_t group, int32_t code);
// flags, when given: bit 1 shows "Kode … finnes ikke i kodeverksgruppe …", bit 2 sets code to 0.
void VISKODA(Context& ctx, int32_t group, int32_t& code, std::string& text,
             std::optional<int> flags = std::nullopt);
int VISKUNA(Context& ctx, int32_t id, std::string& text);
void VISPROA(Context& ctx, int32_t id, std::string& text);
void VISGRUA(Context& ctx, int32_t id, std::string& text);
void VISKONA(Context& ctx, int32_t id, std::string& text);
void VISPRJA(Context& ctx, const std::string& id, std::string& text);
void VISPLIA(Context& ctx, int32_t id, std::string& text);

bool SETKODA(Context& ctx, int32_t group, int32_t code);
bool SETKUNA(Context& ctx, int32_t id);
bool SETPROA(Context& ctx, int32_t id);
bool SETGRUA(Context& ctx, int32_t id);

// Runs a pick list over a view that starts on the record in the buffer. False when the list
// has nothing to offer (it closes at once) or the user leaves it; true with the chosen record
// in the view's table buffer.
bool pickFromView(Context& ctx, ViewManager& view, const PickList& list);

// Pick lists. Each opens on the current value; a list with nothing to offer closes at once
// without a choice. HENTKODA offers only codes in use.
int32_t HENTKODA(Context& ctx, int32_t group, int32_t current = 0);
// 0 when left without a choice.
int32_t HENTKUNA(Context& ctx, int32_t current = 0);
// The chosen contact's name; the current name when left without a choice.
std::string HENTKONA(Context& ctx, int32_t customerId, const std::string& currentName = {});

// "Nordmann, Ola" → "Ola Nordmann": the name turned round at its first comma.
std::string SNUNAVN(const std::string& name);

} // namespace tavlo
