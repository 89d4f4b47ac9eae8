// zorva-data: builds the program's two data stores from the CSV sources under
// data/, and loads a publisher's folder of CSV files into a new industry data
// store. See docs/data-format.md for the format.

#include "store/Diagnostics.h"
#include "store/Schema.h"
#include "store/ServerStore.h"
#include "store/Store.h"
#include "store/Validate.h"

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

using namespace zorvadata;

namespace {

constexpr std::size_t kMaxMessages = 200;

void usage(std::ostream& out) {
    out << "usage:\n"
           "  zorva-data build-industry SRC_DIR OUT.mdb   check SRC_DIR and build a new industry data store;\n"
           "                                              its edition is the latest year of SRC_DIR's ratio\n"
           "                                              tables and the two before it, and no other year\n"
           "  zorva-data build-user SRC_DIR OUT.mdb       create the user data store, or bring an existing one\n"
           "                                              up to date (saved records are always kept)\n"
           "  zorva-data init-store ADDRESS [SRC_DIR] [--row-security|--no-row-security]\n"
           "                     [--owner ROLE|--ownerless-to-all]\n"
           "                                              create the office's user store on a PostgreSQL\n"
           "                                              server (ADDRESS: postgresql://HOST/DB or\n"
           "                                              service=NAME), or bring it up to date (saved\n"
           "                                              records are always kept); --row-security lets\n"
           "                                              each adviser see only the enterprises they saved;\n"
           "                                              statements no adviser saved are then refused\n"
           "                                              unless --owner ROLE gives them to an adviser or\n"
           "                                              --ownerless-to-all lets every adviser see them.\n"
           "                                              --no-row-security is refused while two advisers\n"
           "                                              hold the same enterprise name and year.\n"
           "                                              Put the password in ~/.pgpass or a service file,\n"
           "                                              never in ADDRESS: a command line is visible to\n"
           "                                              every user of the computer (ps).\n"
           "  zorva-data check-industry SRC_DIR           check an industry source folder, write nothing\n"
           "  zorva-data check-user SRC_DIR               check a user source folder, write nothing\n"
           "  zorva-data schema industry|user|ratio       print a compiled-in schema\n";
}

int fail(const Diagnostics& diags) {
    std::size_t shown = 0;
    for (const auto& d : diags.items()) {
        if (shown++ == kMaxMessages) {
            std::cerr << "... and " << (diags.size() - kMaxMessages) << " more problems\n";
            break;
        }
        std::cerr << d.format() << "\n";
    }
    std::cerr << "zorva-data: " << diags.size() << (diags.size() == 1 ? " problem" : " problems")
              << " found; nothing was written\n";
    return 1;
}

// The user store's reference sources: given, installed beside the program
// (PREFIX/share/zorva/user), or those of the source tree it was built from.
std::string userSources(const char* argv0, const std::string& given) {
    namespace fs = std::filesystem;
    if (!given.empty()) return given;
    std::error_code ec;
    const fs::path exe = fs::canonical("/proc/self/exe", ec);
    const fs::path installed = exe.parent_path().parent_path() / "share" / "zorva" / "user";
    if (!ec && fs::is_directory(installed, ec)) return installed.string();
    (void)argv0;
    return ZORVA_DATA_USER_SOURCES;
}

std::string join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += (s.empty() ? "" : ", ") + x;
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    std::string cmd = argv[1];
    if (cmd == "-h" || cmd == "--help" || cmd == "help") {
        usage(std::cout);
        return 0;
    }
    try {
        Diagnostics diags;
        checkSchemas(diags);
        if (!diags.empty()) return fail(diags);

        if (cmd == "schema" && argc == 3) {
            std::string which = argv[2];
            if (which == "industry") std::cout << industrySchemaSql();
            else if (which == "user") std::cout << userSchemaSql();
            else if (which == "ratio") std::cout << ratioSchemaSql();
            else { usage(std::cerr); return 2; }
            return 0;
        }
        if ((cmd == "build-industry" && argc == 4) || (cmd == "check-industry" && argc == 3)) {
            IndustrySource src;
            if (!loadIndustrySource(argv[2], src, diags)) return fail(diags);
            std::size_t rows = 0;
            for (const auto& [n, t] : src.ratios) rows += t.rows.size();
            if (cmd == "check-industry") {
                std::cout << argv[2] << ": edition " << (src.latest - 2) << "-" << src.latest << " (" << src.latest
                          << ", " << (src.latest - 1) << ", " << (src.latest - 2) << "), " << src.ratios.size()
                          << " ratio tables, " << rows << " industry rows, "
                          << src.absent.size() << " tables left out; no problems\n";
                return 0;
            }
            fillIndustryDescriptions(src);
            StoreSummary s;
            if (!writeIndustryStore(src, argv[3], diags, s)) return fail(diags);
            std::cout << argv[3] << ": edition " << (src.latest - 2) << "-" << src.latest << ", " << s.tables
                      << " tables (" << src.ratios.size() << " ratio tables, "
                      << src.absent.size() << " left out), " << s.rows << " rows\n";
            return 0;
        }
        if (cmd == "init-store" && argc >= 3) {
            ServerStoreOptions options;
            std::string sources;
            for (int i = 3; i < argc; ++i) {
                const std::string a = argv[i];
                if (a == "--row-security") options.rowSecurity = ServerStoreOptions::RowSecurity::On;
                else if (a == "--no-row-security") options.rowSecurity = ServerStoreOptions::RowSecurity::Off;
                else if (a == "--owner" && i + 1 < argc) options.ownerRole = argv[++i];
                else if (a == "--ownerless-to-all") options.ownerlessToAll = true;
                else if (sources.empty() && a.rfind("--", 0) != 0) sources = a;
                else { usage(std::cerr); return 2; }
            }
            UserSource src;
            if (!loadUserSource(userSources(argv[0], sources), src, diags)) return fail(diags);
            StoreSummary s;
            if (!updateServerStore(src, argv[2], options, diags, s)) return fail(diags);
            const std::string shown = addressWithoutPassword(argv[2]);
            if (s.created) {
                std::cout << shown << ": created, " << s.tables << " tables\n";
            } else {
                std::cout << shown << ": up to date, " << s.userRecords << " saved records kept";
                if (!s.tablesAdded.empty()) std::cout << "; tables added: " << join(s.tablesAdded);
                if (!s.columnsAdded.empty()) std::cout << "; columns added: " << join(s.columnsAdded);
                if (!s.tablesRebuilt.empty()) std::cout << "; tables laid out anew: " << join(s.tablesRebuilt);
                std::cout << "\n";
            }
            if (s.ownerlessSettled > 0 && !options.ownerRole.empty())
                std::cout << s.ownerlessSettled << " statements saved by no adviser were given to "
                          << options.ownerRole << "\n";
            else if (s.ownerlessSettled > 0)
                std::cout << s.ownerlessSettled
                          << " statements saved by no adviser are seen by every adviser until one saves them again\n";
            if (options.rowSecurity == ServerStoreOptions::RowSecurity::On)
                std::cout << "each adviser sees only the enterprises and book mappings they saved (row-level "
                             "security)\n";
            else if (options.rowSecurity == ServerStoreOptions::RowSecurity::Off)
                std::cout << "every adviser sees every saved enterprise (row-level security removed)\n";
            return 0;
        }
        if ((cmd == "build-user" && argc == 4) || (cmd == "check-user" && argc == 3)) {
            UserSource src;
            if (!loadUserSource(argv[2], src, diags)) return fail(diags);
            if (cmd == "check-user") {
                std::cout << argv[2] << ": no problems\n";
                return 0;
            }
            StoreSummary s;
            if (!updateUserStore(src, argv[3], diags, s)) return fail(diags);
            if (s.created) {
                std::cout << argv[3] << ": created, " << s.tables << " tables\n";
            } else {
                std::cout << argv[3] << ": up to date, " << s.userRecords << " saved records kept";
                if (!s.tablesAdded.empty()) std::cout << "; tables added: " << join(s.tablesAdded);
                if (!s.columnsAdded.empty()) std::cout << "; columns added: " << join(s.columnsAdded);
                if (!s.tablesRebuilt.empty()) std::cout << "; tables laid out anew: " << join(s.tablesRebuilt);
                std::cout << "\n";
            }
            return 0;
        }
        usage(std::cerr);
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "zorva-data: " << e.what() << "\n";
        return 2;
    }
}
