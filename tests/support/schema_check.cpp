#include "support/schema_check.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

std::string schemaPath() {
    const char* source = std::getenv("KOLVIRA_SOURCE_DIR");
    if (source == nullptr) {
        return {};
    }
    return std::string(source) + "/../shared/isaf/isaf_1.2.xsd";
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

SchemaCheck validateAgainstSchema(const std::string& path) {
    SchemaCheck check;
    const std::string schema = schemaPath();
    if (schema.empty() || !std::filesystem::is_regular_file(schema)) {
        return check;
    }
    check.schemaFound = true;
    const std::string command =
        "xmllint --noout --schema " + shellQuoted(schema) + " " + shellQuoted(path) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        check.output = "cannot run xmllint";
        return check;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        check.output.append(buffer, n);
    }
    const int status = pclose(pipe);
    check.valid = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return check;
}

void expectValidIsafFile(const std::string& path) {
    const SchemaCheck check = validateAgainstSchema(path);
    if (!check.schemaFound) {
        std::cout << "[ NOTE     ] i.SAF schema not found; schema check of " << path
                  << " skipped\n";
        return;
    }
    EXPECT_TRUE(check.valid) << path << " does not validate:\n" << check.output;
}
