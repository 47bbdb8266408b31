#pragma once

// libcurl's process-wide set-up, done once before the first transfer and undone at exit.
void ensureCurlReady();
