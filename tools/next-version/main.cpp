// velkorn-next-version: copies a program whose file carries the fixed version block of a Windows version resource
// (signature 0xFEEF04BD, structure version 1.0) and writes a different version into the copy's block, so that the
// update engine sees the copy as a newer release of the same program.
//
//   velkorn-next-version IN OUT [A.B.C.D]   the copy reads A.B.C.D, by default one release above IN
//   velkorn-next-version --show FILE        prints the version that FILE carries
#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t signature = 0xFEEF04BDu;
constexpr std::uint32_t structVersion = 0x00010000u;

std::uint32_t readLe32(const std::vector<unsigned char>& bytes, size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
           std::uint32_t(bytes[at + 3]) << 24;
}

void writeLe32(std::vector<unsigned char>& bytes, size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// Offset of the first block, as the update engine reads it; npos when the file carries none.
size_t findBlock(const std::vector<unsigned char>& bytes)
{
    for (size_t i = 0; i + 16 <= bytes.size(); ++i) {
        if (bytes[i] == 0xBD && readLe32(bytes, i) == signature && readLe32(bytes, i + 4) == structVersion)
            return i;
    }
    return std::string::npos;
}

std::string versionText(std::uint32_t high, std::uint32_t low)
{
    return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16) + "." +
           std::to_string(low & 0xFFFF);
}

bool parseVersion(const std::string& text, std::uint32_t& high, std::uint32_t& low)
{
    std::istringstream in(text);
    unsigned parts[4] = {0, 0, 0, 0};
    std::string part;
    int n = 0;
    while (std::getline(in, part, '.')) {
        if (n == 4 || part.empty() || part.find_first_not_of("0123456789") != std::string::npos || part.size() > 5)
            return false;
        parts[n] = static_cast<unsigned>(std::stoul(part));
        if (parts[n++] > 0xFFFF)
            return false;
    }
    if (n == 0)
        return false;
    high = parts[0] << 16 | parts[1];
    low = parts[2] << 16 | parts[3];
    return true;
}

bool readFile(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int usage()
{
    std::cerr << "usage: velkorn-next-version IN OUT [A.B.C.D] | --show FILE\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--show") {
        std::vector<unsigned char> bytes;
        if (!readFile(args[1], bytes)) {
            std::cerr << "velkorn-next-version: cannot read " << args[1] << "\n";
            return 1;
        }
        const size_t at = findBlock(bytes);
        if (at == std::string::npos) {
            std::cerr << "velkorn-next-version: no version block in " << args[1] << "\n";
            return 1;
        }
        std::cout << versionText(readLe32(bytes, at + 8), readLe32(bytes, at + 12)) << "\n";
        return 0;
    }
    if (args.size() != 2 && args.size() != 3)
        return usage();

    std::vector<unsigned char> bytes;
    if (!readFile(args[0], bytes)) {
        std::cerr << "velkorn-next-version: cannot read " << args[0] << "\n";
        return 1;
    }
    const size_t at = findBlock(bytes);
    if (at == std::string::npos) {
        std::cerr << "velkorn-next-version: no version block in " << args[0] << "\n";
        return 1;
    }
    std::uint32_t high = readLe32(bytes, at + 8);
    std::uint32_t low = readLe32(bytes, at + 12);
    if (args.size() == 3) {
        if (!parseVersion(args[2], high, low))
            return usage();
    } else {
        if ((low >> 16) == 0xFFFF) {
            std::cerr << "velkorn-next-version: the release number cannot grow\n";
            return 1;
        }
        low = (((low >> 16) + 1) << 16) | (low & 0xFFFF);
    }
    // File version and product version alike.
    writeLe32(bytes, at + 8, high);
    writeLe32(bytes, at + 12, low);
    writeLe32(bytes, at + 16, high);
    writeLe32(bytes, at + 20, low);

    std::ofstream out(args[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "velkorn-next-version: cannot write " << args[1] << "\n";
        return 1;
    }
    struct stat info;
    if (::stat(args[0].c_str(), &info) == 0)
        ::chmod(args[1].c_str(), info.st_mode & 07777);
    std::cout << versionText(high, low) << "\n";
    return 0;
}
