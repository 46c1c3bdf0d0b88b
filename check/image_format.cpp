#include "check/image_format.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "text/format.h"

namespace {
const unsigned kDosHeaderBytes = 0x40;
const unsigned kFileHeaderBytes = 24;  // "PE\0\0" and IMAGE_FILE_HEADER
const unsigned kSectionHeaderBytes = 40;
// The optional header up to and with its Subsystem field, alike in PE32 and PE32+.
const unsigned kOptionalHeaderNeeded = 70;

unsigned Little(const unsigned char* bytes, int count)
{
    unsigned value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

// A section's name as printable ASCII; the field need not end in a 0.
AnsiString SectionName(const unsigned char* header)
{
    char name[9] = {};
    int length = 0;
    for (int i = 0; i < 8 && header[i] != 0; ++i)
        name[length++] = header[i] >= 0x20 && header[i] < 0x7F ? static_cast<char>(header[i]) : '?';
    return AnsiString(name, length);
}

const char* SubsystemName(unsigned subsystem)
{
    switch (subsystem) {
        case IMAGE_SUBSYSTEM_NATIVE:
            return "native, a driver or boot-time program";
        case IMAGE_SUBSYSTEM_OS2_CUI:
            return "OS/2";
        case IMAGE_SUBSYSTEM_POSIX_CUI:
            return "POSIX";
        case IMAGE_SUBSYSTEM_WINDOWS_CE_GUI:
            return "Windows CE";
        case IMAGE_SUBSYSTEM_EFI_APPLICATION:
        case IMAGE_SUBSYSTEM_EFI_BOOT_SERVICE_DRIVER:
        case IMAGE_SUBSYSTEM_EFI_RUNTIME_DRIVER:
        case IMAGE_SUBSYSTEM_EFI_ROM:
            return "EFI";
        default:
            return "unknown";
    }
}

ImageFormat Defective(ImageFormat image, const char* defect)
{
    image.defect = AnsiString(defect);
    return image;
}
}  // namespace

ImageFormat ExamineImage(const ReadOnlyFile& file)
{
    ImageFormat image;
    const long long size = file.Size();
    unsigned char dos[kDosHeaderBytes];
    if (size < kDosHeaderBytes || !file.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' ||
        dos[1] != 'Z')
        return Defective(image, "no MZ header");
    // 64-bit sums throughout: every offset and size below comes from the file.
    const long long pe = Little(dos + 0x3C, 4);
    unsigned char header[kFileHeaderBytes];
    if (pe + kFileHeaderBytes > size || !file.ReadAt(pe, header, sizeof header))
        return Defective(image, "the PE header lies past the end of the file");
    if (std::memcmp(header, "PE\0\0", 4) != 0) return Defective(image, "no PE signature");
    image.machine = Little(header + 4, 2);
    const unsigned sections = Little(header + 6, 2);
    const unsigned optionalSize = Little(header + 20, 2);
    const unsigned characteristics = Little(header + 22, 2);

    if (optionalSize < kOptionalHeaderNeeded)
        return Defective(image, "the optional header is too short for an image");
    std::vector<unsigned char> optional(optionalSize);
    const long long tableAt = pe + kFileHeaderBytes + optionalSize;
    const long long tableEnd = tableAt + static_cast<long long>(sections) * kSectionHeaderBytes;
    if (tableEnd > size)
        return Defective(image, "the headers and section table run past the end of the file");
    if (!file.ReadAt(pe + kFileHeaderBytes, optional.data(), optionalSize))
        return Defective(image, "the optional header cannot be read");
    const unsigned magic = Little(optional.data(), 2);
    if (magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC && magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return Defective(image, "the optional header is neither PE32 nor PE32+");
    if (Little(optional.data() + 60, 4) > size)
        return Defective(image, "SizeOfHeaders runs past the end of the file");

    std::vector<unsigned char> table(static_cast<std::size_t>(sections) * kSectionHeaderBytes);
    if (!table.empty() && !file.ReadAt(tableAt, table.data(), static_cast<unsigned>(table.size())))
        return Defective(image, "the section table cannot be read");
    for (unsigned i = 0; i < sections; ++i) {
        const unsigned char* section = table.data() + i * kSectionHeaderBytes;
        const long long rawSize = Little(section + 16, 4);
        const long long rawAt = Little(section + 20, 4);
        if (rawSize != 0 && rawAt + rawSize > size) {
            FormatText(
                image.defect,
                "section %d (\"%s\") ends at byte %d of the file, which has %d: "
                "the file is cut short",
                static_cast<int>(i + 1), SectionName(section).CStr(),
                rawAt + rawSize > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(rawAt + rawSize),
                size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size));
            return image;
        }
    }

    if (characteristics & IMAGE_FILE_DLL)
        return Defective(image, "it is marked as a DLL, which runs only inside another program");
    if (!(characteristics & IMAGE_FILE_EXECUTABLE_IMAGE))
        return Defective(image, "it is not marked as an executable image");
    const unsigned subsystem = Little(optional.data() + 68, 2);
    if (subsystem != IMAGE_SUBSYSTEM_WINDOWS_GUI && subsystem != IMAGE_SUBSYSTEM_WINDOWS_CUI) {
        FormatText(image.defect, "its subsystem %d (%s) does not start as a Windows program",
                   static_cast<int>(subsystem), SubsystemName(subsystem));
        return image;
    }
    image.startsAsProcess = true;
    return image;
}
