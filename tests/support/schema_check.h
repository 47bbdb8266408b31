#pragma once

#include <string>

// The result of checking a file against the i.SAF 1.2 schema with xmllint.
struct SchemaCheck {
    bool schemaFound = false;  // the schema at $KOLVIRA_SOURCE_DIR/../shared/isaf/isaf_1.2.xsd
    bool valid = false;
    std::string output;  // what xmllint said
};

// Runs `xmllint --noout --schema <schema> <path>`.
SchemaCheck validateAgainstSchema(const std::string& path);

// For tests: fails the current test when the file does not validate; where the schema is
// absent, prints a note that the check was skipped.
void expectValidIsafFile(const std::string& path);
