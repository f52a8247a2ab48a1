#!/usr/bin/env bash
# The EHF documents of test_ehf against the UBL 2.1 schema (xmllint) and both Peppol rule sets
# (Saxon-HE): no schema error and no fatal rule in any of them. A document with a wrong
# organisation number shows that the rules do catch what our own check refuses first.
# Usage: ehf_valider.sh TEST_EHF EINVOICE_DIR. Exit 77 (skipped) without the reference files.
set -euo pipefail
test_ehf=$1
ref=$2
if [ ! -f "$ref/ubl-2.1/maindoc/UBL-Invoice-2.1.xsd" ]; then
    echo "Referansefilene for EHF finnes ikke i $ref: hopper over" >&2
    exit 77
fi
saxon=/usr/share/java/Saxon-HE.jar
for tool in xmllint java; do
    command -v "$tool" >/dev/null || { echo "$tool mangler (scripts/deps.sh installerer det)" >&2; exit 1; }
done
[ -f "$saxon" ] || { echo "$saxon mangler (libsaxonhe-java)" >&2; exit 1; }

work=$(mktemp -d /tmp/tavlo-ehf.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/ok" "$work/feil" "$work/svrl"
TAVLO_EHF_UT="$work/ok" "$test_ehf" --gtest_filter='EhfTest.Dokumenter*' >"$work/gtest.log" ||
    { cat "$work/gtest.log"; exit 1; }
count=$(ls "$work/ok" | wc -l)
[ "$count" -ge 5 ] || { echo "bare $count dokumenter ble skrevet" >&2; exit 1; }

# The seller's number with a wrong check digit, everywhere it stands.
sed 's/987654325/987654321/g' "$work/ok/mva1-blandet.xml" >"$work/feil/feil-orgnr.xml"

status=0
for f in "$work"/ok/*.xml "$work"/feil/*.xml; do
    if grep -q '<CreditNote' "$f"; then xsd=UBL-CreditNote-2.1.xsd; else xsd=UBL-Invoice-2.1.xsd; fi
    xmllint --noout --schema "$ref/ubl-2.1/maindoc/$xsd" "$f" 2>"$work/xmllint.log" ||
        { echo "Skjemafeil i $(basename "$f"):"; cat "$work/xmllint.log"; status=1; }
done

for rules in CEN-EN16931-UBL PEPPOL-EN16931-UBL; do
    for set in ok feil; do
        mkdir -p "$work/svrl/$rules-$set"
        java -cp "$saxon" net.sf.saxon.Transform -s:"$work/$set" \
            -xsl:"$ref/peppol-bis-3/$rules.xslt" -o:"$work/svrl/$rules-$set" >/dev/null
    done
    for f in "$work"/ok/*.xml; do
        svrl="$work/svrl/$rules-ok/$(basename "$f")"
        grep -q 'fired-rule' "$svrl" || { echo "$rules: ingen regler kjørte på $(basename "$f")"; status=1; }
        fatal=$(grep -c 'flag="fatal"' "$svrl" || true)
        if [ "$fatal" -ne 0 ]; then
            echo "$rules: $fatal feil i $(basename "$f"):"
            grep -A3 'flag="fatal"' "$svrl" | grep -o '\[[A-Z0-9-]*\][^<]*' || true
            status=1
        fi
        echo "$rules $(basename "$f"): 0 feil"
    done
done
fatal=$(cat "$work"/svrl/*-feil/feil-orgnr.xml | grep -c 'flag="fatal"' || true)
if [ "$fatal" -eq 0 ]; then
    echo "Reglene fanget ikke et galt organisasjonsnummer"
    status=1
else
    echo "Galt organisasjonsnummer: $fatal feil fra reglene, som forventet"
fi
exit $status
