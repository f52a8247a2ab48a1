#include "billing/grunnlagform.h"

#include "data/context.h"
#include "data/globals.h"
#include "data/lookups.h"

namespace tavlo {

GrunnlagForm::GrunnlagForm(Context& ctx, int32_t kundeId, int request)
    : DokumentForm(ctx, "GrunnlagForm", HodeFelt::grunnlag(), LinjeFelt::grunnlag(), kundeId,
                   request)
{
}

int GrunnlagForm::start()
{
    const int rc = startDokument();
    if (rc == LEVEL_BENIGN)
        kopierGittKunde();
    return rc;
}

std::string GrunnlagForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny grunnlag";
    case ChangeRecord: return "Endre/vise grunnlag";
    default: return "Vis grunnlag";
    }
}

void GrunnlagForm::primeFields()
{
    Record& r = record();
    r.set(GRU::FAKTURASTATUS, 1);
    r.set(GRU::VARREFERANSE, parametre().get(PAR::VAARREFERANSESTD));
    r.set(GRU::MVATYPE, GLO::STD_MVA_TYPE);
}

void GrunnlagForm::forfall()
{
    // A basis is a template: without a date or terms, the due date it has stays.
    Record& r = record();
    const int32_t dato = r.get(GRU::FAKTURADATO), dager = r.get(GRU::BETALINGSBETINGELSE);
    if (dato != 0 && dager != 0)
        r.set(GRU::FORFALLSDATO, dato + dager);
}

std::string GrunnlagForm::typeTekst()
{
    return codeText(context(), 111, record().get(GRU::TYPE));
}

std::string GrunnlagForm::fakturastatusTekst()
{
    return codeText(context(), 105, record().get(GRU::FAKTURASTATUS));
}

GrunnlagLinjeForm::GrunnlagLinjeForm(Context& ctx, DokumentFelles& felles, int request)
    : DokumentLinjeForm(ctx, "GrunnlagLinjeForm", HodeFelt::grunnlag(), LinjeFelt::grunnlag(),
                        felles, request)
{
}

std::string GrunnlagLinjeForm::caption() const
{
    switch (originalRequest()) {
    case InsertRecord: return "Ny grunnlaglinje";
    case ChangeRecord: return "Endre/vise grunnlaglinje";
    default: return "View Record";
    }
}

} // namespace tavlo
