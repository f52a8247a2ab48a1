#include "codesets/kodeverkform.h"

#include "data/context.h"

namespace tavlo {

KodeverkSkjema skjemaFor(int32_t group)
{
    switch (group) {
    case 105: return KodeverkSkjema::FakturaStatus;
    case 107: return KodeverkSkjema::FeltFormat;
    }
    return KodeverkSkjema::Standard;
}

KodeverkForm::KodeverkForm(Context& ctx, int32_t group, int request)
    : WindowManager(ctx, "KODEVERKFORM", Tbl::KODEVERK, request), group_(group),
      kind_(skjemaFor(originalRequest() == InsertRecord ? group : record().get(KOD::GRUPPE))),
      fixed_(originalRequest() != InsertRecord && record().get(KOD::FAST) != 0),
      fixedNr_(record().get(KOD::NR)), fixedText_(record().get(KOD::TEKST))
{
}

std::string KodeverkForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny kodeverkspost";
    case ChangeRecord: return "Endre/vise kodeverkspost";
    }
    return "View Record";
}

bool KodeverkForm::numberAndTextReadOnly() const
{
    return fixed_ || readOnly();
}

void KodeverkForm::primeFields()
{
    record().set(KOD::GRUPPE, group_);
    // A new invoice status is drawn in the lists' own colour until the user picks one.
    if (group_ == 105)
        record().set(KOD::LONG2, -1);
}

int KodeverkForm::validateRecord()
{
    if (fixed_) {
        record().set(KOD::NR, fixedNr_);
        record().set(KOD::TEKST, fixedText_);
    }
    return LEVEL_BENIGN;
}

std::unique_ptr<KodeverkForm> KODEVERKFORM(Context& ctx, int32_t& result)
{
    const int request = GlobalRequest;
    const Record& code = ctx.rec(Tbl::KODEVERK);
    const Record& group = ctx.rec(Tbl::KODEVERK_ALIAS);
    const bool closed = group.get(KODA::FAST) == kLukketGruppe;
    const char* refusal = nullptr;
    if (request == InsertRecord && closed)
        refusal = "Du kan ikke legge til kodeverksposten i denne gruppen";
    else if (request == DeleteRecord && (code.get(KOD::FAST) != 0 || closed))
        refusal = "Denne kodeverksposten kan ikke slettes";
    if (refusal) {
        result = static_cast<int32_t>(say(ctx, refusal, "Asvarsel", Icon::Exclamation));
        return nullptr;
    }
    const int32_t shown = group.get(KODA::NR);
    result = request == InsertRecord ? shown : code.get(KOD::GRUPPE);
    return std::make_unique<KodeverkForm>(ctx, shown, request);
}

} // namespace tavlo
