#pragma once

#include <atomic>
#include <optional>
#include <string>

// The body of an HTTPS answer, or nothing on any failure: no connection, a certificate that
// does not verify, an HTTP error status, a time-out, an answer too large. Connecting and the
// whole transfer are bounded to a few seconds. `extraCaFile`, when given, is a PEM certificate
// trusted besides the system's. A raised `cancelled` flag ends the wait within about a second.
std::optional<std::string> httpsGet(const std::string& url, const std::string& extraCaFile,
                                    const std::atomic<bool>* cancelled = nullptr);

// Text percent-encoded for a query value: everything but letters, digits and "-._~".
std::string percentEncoded(const std::string& text);
