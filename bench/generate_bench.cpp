#include "bench/generate_bench.h"

#include <cstdio>
#include <vector>

#include "bench/common.h"
#include "billing/generering.h"
#include "framework/filemanager.h"
#include "invoices/fakturasummer.h"

namespace tavlo::bench {

namespace {

constexpr double kLimitMs = 30000;

// The basis's five lines: two goods with stock control, three services.
std::vector<Record> basisLines(int32_t grunnlagId)
{
    std::vector<Record> out;
    for (int n = 1; n <= 5; ++n) {
        Record l(table(Tbl::GRULINJE));
        l.set(GLI::GRUNNLAGID, grunnlagId);
        l.set(GLI::LINJENR, n);
        l.set(GLI::PRODUKTID, n <= 2 ? n : 0);
        l.set(GLI::PRODUKTNAVN,
              n <= 2 ? "Filter " + std::to_string(n) : "Service " + std::to_string(n));
        l.set(GLI::ANTALL, Decimal::fromInt(n));
        l.set(GLI::ENHETSPRIS, Decimal::fromCents(12500 * n));
        l.set(GLI::SUM, Decimal::fromCents(12500 * n * n));
        l.set(GLI::MVAPLIKTIG, 1);
        l.set(GLI::MVASATS, 25);
        l.set(GLI::BESKRIVELSE, "Månedlig service og filterbytte, linje " + std::to_string(n));
        out.push_back(std::move(l));
    }
    return out;
}

} // namespace

void benchGenerate(const std::string& dir, int n)
{
    Hold h(dir + "/generate",
           {Tbl::KUNDE, Tbl::GRUNNLAG, Tbl::GRULINJE, Tbl::PRODUKT, Tbl::FAKTURA, Tbl::FAKLINJE});
    const std::vector<Customer> customers = makeCustomers(n, 2026);
    std::vector<Record> rows;
    for (const Customer& c : customers) {
        Record r(table(Tbl::KUNDE));
        fill(r, c);
        rows.push_back(std::move(r));
    }
    h.insertAll(Tbl::KUNDE, rows);
    std::vector<Record> products;
    for (int p = 1; p <= 2; ++p) {
        Record r(table(Tbl::PRODUKT));
        r.set(PRO::PRODUKTID, p);
        r.set(PRO::NAVN, "Filter " + std::to_string(p));
        r.set(PRO::LAGERSTYRING, 1);
        r.set(PRO::LAGERBEHOLDNING, Decimal::fromInt(1000000));
        products.push_back(std::move(r));
    }
    h.insertAll(Tbl::PRODUKT, products);
    Record basis(table(Tbl::GRUNNLAG));
    basis.set(GRU::TEKST, "Serviceavtale");
    basis.set(GRU::MVATYPE, 1);
    basis.set(GRU::MELDING, "Takk for at du handler hos oss");
    h.insertAll(Tbl::GRUNNLAG, {basis});
    const std::vector<Record> lines = basisLines(1);
    h.insertAll(Tbl::GRULINJE, lines);

    std::vector<int32_t> ids;
    for (int i = 1; i <= n; ++i)
        ids.push_back(i);
    FakturaGenerering g(h.ctx, FakturaGenerering::PerKunde);
    g.grunnlagAccepted(1);
    g.fakturadato = 82541;
    g.utvalg = ids;
    const auto t0 = Clock::now();
    if (g.generer() != FakturaGenerering::Utfall::Ferdig || g.generert() != n)
        die("generate: " + std::to_string(g.generert()) + " invoices made");
    const double ours = msSince(t0);

    // Plain SQLite: the same rows, one transaction per invoice with its lines and both stock
    // changes, statements prepared once.
    Plain base(dir + "/generate-baseline.db");
    for (Tbl t : {Tbl::FAKTURA, Tbl::FAKLINJE, Tbl::PRODUKT})
        base.exec(plainSchema(table(t), "main"));
    base.insertAll("main", products);
    FileManager& fak = h.ctx.access(Tbl::FAKTURA);
    Record header(table(Tbl::FAKTURA));
    fak.SET(FAK::KeyFakturaId);
    if (fak.NEXT() != LEVEL_BENIGN)
        die("no invoice to copy");
    header.copyFrom(fak.rec());
    auto insertSql = [](const TableDecl& t) {
        std::string sql = "INSERT INTO main." + t.name + " VALUES (";
        for (std::size_t i = 0; i < t.fields.size() + t.memos.size(); ++i)
            sql += i ? ", ?" : "?";
        return sql + ")";
    };
    auto bind = [](sqlite3_stmt* s, const Record& r) {
        const TableDecl& t = r.decl();
        int col = 1;
        for (std::size_t f = 0; f < t.fields.size(); ++f, ++col) {
            if (t.fields[f].type == FieldType::TEXT)
                sqlite3_bind_text(s, col, r.str(static_cast<int>(f)).c_str(), -1, SQLITE_STATIC);
            else
                sqlite3_bind_int64(s, col, r.num(static_cast<int>(f)));
        }
        for (std::size_t m = 0; m < t.memos.size(); ++m, ++col)
            sqlite3_bind_text(s, col, r.memo(static_cast<int>(m)).c_str(), -1, SQLITE_STATIC);
    };
    sqlite3_stmt* insHeader = base.stmt(insertSql(table(Tbl::FAKTURA)));
    sqlite3_stmt* insLine = base.stmt(insertSql(table(Tbl::FAKLINJE)));
    sqlite3_stmt* stock =
        base.stmt("UPDATE main.PRODUKT SET LAGERBEHOLDNING = LAGERBEHOLDNING - ?1 "
                  "WHERE PRODUKTID = ?2 AND LAGERSTYRING <> 0");
    std::vector<Record> fli;
    for (const Record& gl : lines) {
        Record l(table(Tbl::FAKLINJE));
        l.set(FLI::LINJENR, gl.get(GLI::LINJENR));
        l.set(FLI::PRODUKTID, gl.get(GLI::PRODUKTID));
        l.set(FLI::PRODUKTNAVN, gl.get(GLI::PRODUKTNAVN));
        l.set(FLI::ANTALL, gl.get(GLI::ANTALL));
        l.set(FLI::ENHETSPRIS, gl.get(GLI::ENHETSPRIS));
        l.set(FLI::SUM, gl.get(GLI::SUM));
        l.set(FLI::MVAPLIKTIG, gl.get(GLI::MVAPLIKTIG));
        l.set(FLI::MVASATS, gl.get(GLI::MVASATS));
        l.set(FLI::BESKRIVELSE, gl.get(GLI::BESKRIVELSE));
        fli.push_back(std::move(l));
    }
    const auto t1 = Clock::now();
    int32_t lineId = 0;
    for (int i = 1; i <= n; ++i) {
        const Customer& c = customers[i - 1];
        base.run(base.stmt("BEGIN IMMEDIATE"));
        header.set(FAK::FAKTURAID, i);
        header.set(FAK::KUNDEID, i);
        header.set(FAK::KUNDENAVN, c.navn);
        header.set(FAK::ADRESSE, c.adresse);
        bind(insHeader, header);
        base.run(insHeader);
        for (Record& l : fli) {
            l.set(FLI::FAKLINJEID, ++lineId);
            l.set(FLI::FAKTURAID, i);
            bind(insLine, l);
            base.run(insLine);
            if (l.get(FLI::PRODUKTID) != 0) {
                sqlite3_bind_int64(stock, 1, l.num(FLI::ANTALL.no));
                sqlite3_bind_int64(stock, 2, l.get(FLI::PRODUKTID));
                base.run(stock);
            }
        }
        base.run(base.stmt("COMMIT"));
    }
    const double plain = msSince(t1);
    report("generate_10000", ours, plain);
    std::printf("# generate_10000: one basis of 5 lines (2 with stock control) for %d customers, "
                "ours each invoice in a savepoint, committed every 0.2 s, plain SQLite one "
                "transaction per invoice; ours %.1f s (limit %.0f s), %.2f ms "
                "per invoice; plain SQLite %.1f s\n",
                n, ours / 1000, kLimitMs / 1000, ours / n, plain / 1000);
}

} // namespace tavlo::bench
