// Whole-file reads and writes for the small files the saver keeps (settings,
// feeds, pages). Failures are results, never exceptions.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

// No page, feed, reply or settings file the saver reads whole is larger.
inline constexpr std::size_t kWholeFileLimit = 64u << 20;

// Reads a regular file of at most `limit` bytes; false for anything else
// (and `out` is then empty).
bool ReadWholeFile(const std::filesystem::path& p, std::string& out,
                   std::size_t limit = kWholeFileLimit);
// Creates or replaces the file with exactly `bytes`, never in place: the
// bytes go to `p` + kReplacementSuffix in the same folder, reach the disk,
// and only then take the old file's name. A write that fails (a full disk,
// a size limit, an I/O error) or a crash part-way leaves the old file as it
// was, and no temporary file stays behind. Returns why it failed, in the
// system's terms; empty when the file was written.
std::error_code WriteWholeFile(const std::filesystem::path& p, const std::string& bytes);
inline constexpr char kReplacementSuffix[] = ".new";
