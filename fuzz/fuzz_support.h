// Shared pieces of the fuzz targets: a private data folder per process, and
// the check that stops a run with a message when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// Aborts the run (libFuzzer then keeps the input) when `ok` is false.
inline void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz property failed: %s\n", what);
    std::abort();
}

// Makes a fresh folder under the system's temporary folder, points
// DataFolder at it and returns it. Called once, from LLVMFuzzerInitialize.
std::filesystem::path MakeFuzzDataFolder();

// The names of the files in `folder`.
std::string FolderListing(const std::filesystem::path& folder);

// Whole-file helpers that abort the run when the file cannot be written.
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& file);

inline std::string Bytes(const uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}
