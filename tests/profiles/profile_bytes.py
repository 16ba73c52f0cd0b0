"""The pieces of a stored profile's streams, as the checks of the profile files build them."""
import struct

NULL_GUIDS = "{00000000-0000-0000-0000-000000000000}{00000000-0000-0000-0000-000000000000}"
NULL_VIDEO = "@nullvideo:" + NULL_GUIDS
NULL_AUDIO = "@nullaudio:" + NULL_GUIDS
UNCOMPRESSED = " \u7121\u5727\u7e2e"


def u32(value):
    return struct.pack("<I", value)


def string(text):
    """A counted UTF-16 string with its terminating null."""
    units = text.encode("utf-16-le")
    return u32(len(units) // 2 + 1) + units + b"\0\0"


def block(*fields, size):
    """A block that starts with its own size, then the fields, padded with zeros."""
    data = b"".join(u32(f) for f in (size,) + fields)
    return data + bytes(size - len(data))
