#pragma once
// zorva-cli's command line, read in one place: the command, the common
// options (--app-dir, --user-store, --help), the options each command takes,
// and the readings of the options the commands share (--lang, --dataset,
// --year). A wrong command line is a UsageError (exit status 2).

#include "core/Catalogue.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorva::cli {

// The options each command takes.
extern const std::map<std::string, std::set<std::string>> kCommandOptions;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string command;
    std::string appDir;
    std::string userStore;
    std::string industryStore;
    bool help = false;
    std::map<std::string, std::string> values;
    bool has(const std::string& k) const { return values.count(k) != 0; }
    const std::string& get(const std::string& k) const { return values.at(k); }
};

Options parseArgs(const std::vector<std::string>& args);

// A UsageError unless every one of the options was given.
void requireOptions(const Options& o, std::initializer_list<const char*> names);
// --lang: 0 English (also when absent), 1 French.
int languageOf(const Options& o);
// --dataset: a data set of the catalogue.
const DatasetChoice& datasetOf(const Options& o);
// Makes the choice the current data set and checks that it has data.
void chooseDataset(const DatasetChoice& c);
// --year, 2010 when absent.
std::int16_t yearOption(const Options& o);

} // namespace zorva::cli
