// The file an export writes into: a temporary file beside the target, unique to this writer,
// that becomes the target only on commit(). An export that ends any other way leaves the
// target as it was.
#pragma once

#include <filesystem>

namespace quorvel {

class OutputFile {
  public:
    // Creates the temporary file. Throws std::runtime_error naming the target.
    explicit OutputFile(std::filesystem::path target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Where the encoder writes.
    const std::filesystem::path& writePath() const { return temp_; }
    const std::filesystem::path& target() const { return target_; }
    // Moves the written file to the target. Throws std::runtime_error.
    void commit();

  private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    bool committed_ = false;
};

}  // namespace quorvel
