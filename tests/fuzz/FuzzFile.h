#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The readers take a path, so every input goes through one temporary file, created on first
// use and removed when the fuzzer exits.
const QString& fuzzFilePath();

// Replaces the temporary file's content with the input; false when the disk refused it.
bool writeFuzzFile(const std::uint8_t* data, std::size_t size);

// The temporary file's whole content.
QByteArray readFuzzFile();
