#include "cli/cli_options.h"

const char* const kCliUsage =
    "Naudojimas / Usage:\n"
    "  kolvira-cli [--payer-code KODAS] [--workplace PAVADINIMAS] [--from YYYY-MM-DD]\n"
    "              [--to YYYY-MM-DD] [--locale LOKALĖ] [--output-dir APLANKAS] [--summary]\n"
    "              [--strict] [--format text|json] KNYGA.xlsx\n"
    "  kolvira-cli --check [--format text|json] RINKMENA.xml\n"
    "\n"
    "Suformuoja i.SAF 1.2 rinkmeną iš sąskaitų faktūrų darbo knygos (.xlsx arba .xls).\n"
    "Turns an invoice workbook (.xlsx or .xls) into an i.SAF 1.2 file.\n"
    "\n"
    "  --payer-code KODAS      PVM mokėtojo įmonės (asmens) kodas; numatytasis - pasirinktas\n"
    "                          mokėtojas iš asmenys.txt.\n"
    "                          The payer's company code; by default the payer selected last\n"
    "                          in the register asmenys.txt.\n"
    "  --workplace PAVADINIMAS Darbo vietos pavadinimas (A-Z, 0-9, _); numatytasis - paskutinis\n"
    "                          naudotas programos lange (darbo_vieta faile _nustatymai.ini).\n"
    "                          The workplace name (part number); by default the last one used\n"
    "                          in the window (darbo_vieta in _nustatymai.ini).\n"
    "  --from, --to DATA       Laikotarpio pradžia ir pabaiga; numatytasis - praėjęs mėnuo.\n"
    "                          First and last day of the period; by default the previous\n"
    "                          calendar month.\n"
    "  --locale LOKALĖ         Skaičių ir datų formatai, pvz. lt_LT; numatytasis - sistemos.\n"
    "                          Number and date formats of the cells, e.g. lt_LT; by default\n"
    "                          the system's.\n"
    "  --output-dir APLANKAS   Kur išsaugoti rinkmeną; numatytasis - rinkmenos šalia programos,\n"
    "                          įdiegtos - Kolvira/rinkmenos dokumentų aplanke.\n"
    "                          Where to save the file; by default rinkmenos beside the program,\n"
    "                          installed: Kolvira/rinkmenos in the documents folder.\n"
    "  --summary               Po kelio išvesti suvestinę pagal PVM klasifikatorius (sąskaitų\n"
    "                          skaičius, apmokestinamoji vertė, PVM suma).\n"
    "                          After the path, a table per side and tax code: invoices,\n"
    "                          taxable value, VAT amount.\n"
    "  --strict                Išsaugojus rinkmeną su įspėjimais baigti kodu 6.\n"
    "                          A saved file with warnings exits 6 instead of 0.\n"
    "  --check RINKMENA.xml    Patikrinti bet kurią i.SAF 1.2 rinkmeną: schemą, PVM tarifus,\n"
    "                          laikotarpį, kontrahentų ID, pavadinimą; suvestinė į stdout,\n"
    "                          pastabos į stderr.\n"
    "                          Check any i.SAF 1.2 file: schema, tax rates, period,\n"
    "                          counterpart IDs, file name; the summary on stdout, the\n"
    "                          findings on stderr.\n"
    "  --format text|json      json - vienas JSON objektas į stdout (baigtis, kelias, klaidos,\n"
    "                          įspėjimai, suvestinė) vietoje teksto.\n"
    "                          json prints one JSON object on stdout (outcome, path, errors,\n"
    "                          warnings, summary) instead of text.\n"
    "  --help                  Ši pagalba. This help.\n"
    "\n"
    "Išėjimo kodai / exit codes:\n"
    "  0 rinkmena išsaugota (kelias išvedamas; įspėjimai į stderr) / file saved (its path on\n"
    "    stdout, warnings on stderr)\n"
    "  1 blogai užpildyti langeliai / badly filled cells (the list on stderr)\n"
    "  2 trūksta ar neteisingi duomenys / missing or invalid input, beyond the i.SAF caps, or\n"
    "    an automatic counter in _nustatymai.ini that cannot go on\n"
    "  3 darbo knygos nepavyko perskaityti / the workbook cannot be read\n"
    "  4 laikotarpio įrašų nerasta / no rows of the period\n"
    "  5 nepavyko įrašyti failo / a file could not be written\n"
    "  6 su --strict: išsaugota, bet yra įspėjimų / with --strict: saved, with warnings\n"
    "  70 programos klaida / a fault of the program itself\n"
    "Tikrinant (--check) / checking:\n"
    "  0 klaidų nerasta / no findings, 1 klaidos / schema or logical errors,\n"
    "  6 tik įspėjimai / warnings only, 3 ne i.SAF rinkmena ar ne XML / not an i.SAF file,\n"
    "  2 rinkmena nerasta ar blogi argumentai / file missing or usage error,\n"
    "  70 programos klaida / a fault of the program itself\n";

Result<CliOptions> parseCliOptions(const std::vector<std::string>& arguments) {
    CliOptions options;
    bool haveWorkbook = false;
    bool runOption = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return options;
        }
        if (argument == "--summary" || argument == "--strict") {
            (argument == "--summary" ? options.summary : options.strict) = true;
            runOption = true;
            continue;
        }
        if (argument == "--check") {
            options.check = true;
            continue;
        }
        if (argument == "--format") {
            if (i + 1 >= arguments.size() ||
                (arguments[i + 1] != "text" && arguments[i + 1] != "json")) {
                return Failure("Parinkčiai --format reikia reikšmės text arba json.");
            }
            options.format = arguments[++i];
            continue;
        }
        std::optional<std::string>* target = nullptr;
        if (argument == "--payer-code") {
            target = &options.payerCode;
        } else if (argument == "--workplace") {
            target = &options.workplace;
        } else if (argument == "--from") {
            target = &options.from;
        } else if (argument == "--to") {
            target = &options.to;
        } else if (argument == "--locale") {
            target = &options.locale;
        } else if (argument == "--output-dir") {
            target = &options.outputDir;
        }
        if (target != nullptr) {
            if (i + 1 >= arguments.size()) {
                return Failure("Parinkčiai " + argument + " trūksta reikšmės.");
            }
            *target = arguments[++i];
            runOption = true;
            // An empty folder would mean the root folder to the file system.
            if (target == &options.outputDir && target->value().empty()) {
                return Failure("Parinkčiai --output-dir reikia aplanko.");
            }
            continue;
        }
        if (argument.starts_with("--")) {
            return Failure("Nežinoma parinktis " + argument + ".");
        }
        if (haveWorkbook) {
            return Failure(options.check ? "Galima nurodyti tik vieną rinkmeną."
                                         : "Galima nurodyti tik vieną dokumentą.");
        }
        options.workbook = argument;
        haveWorkbook = true;
    }
    if (options.check && runOption) {
        return Failure("Su --check galima nurodyti tik --format ir vieną rinkmeną.");
    }
    if (!haveWorkbook) {
        return Failure(options.check ? "Rinkmena nenurodyta." : "Dokumentas nepasirinktas");
    }
    return options;
}
