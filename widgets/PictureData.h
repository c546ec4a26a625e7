#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <stdexcept>

namespace widgets {

// A picture that could not be decoded. what() is one of the five texts the windows report:
// "Could not allocate memory for image", "Could not create image stream", "Empty image stream created",
// "Could not load image. Invalid format", "Could not load image".
class PictureLoadError : public std::runtime_error
{
public:
    explicit PictureLoadError(const char* text) : std::runtime_error(text) {}
};

namespace picture_errors {
inline constexpr const char* kNoMemory = "Could not allocate memory for image";
inline constexpr const char* kNoStream = "Could not create image stream";
inline constexpr const char* kEmptyStream = "Empty image stream created";
inline constexpr const char* kInvalidFormat = "Could not load image. Invalid format";
inline constexpr const char* kNotLoaded = "Could not load image";
} // namespace picture_errors

// Decodes the bytes of a JPEG or BMP file. The header and the file's structure are checked here, so a truncated
// JPEG or a BMP with a broken header fails instead of showing a half-grey picture. Throws PictureLoadError.
QImage decodePicture(const QByteArray& fileBytes);

// Reads a Qt resource (":/art/...") or a file whole. A resource that cannot be opened throws
// PictureLoadError("Could not create image stream"), because a window cannot be built without it.
QByteArray readResource(const QString& path);

} // namespace widgets
