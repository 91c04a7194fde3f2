// Shared set-up of the Qt tests: they run offscreen with a fixed hash seed (set by ctest).
#pragma once
