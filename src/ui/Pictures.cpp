#include "ui/Pictures.h"

namespace tresorix {

constexpr ToolPicture kPictureFolderOpen{{
    "................",
    "..........KKK...",
    ".........K...K.K",
    "..............KK",
    ".KKK.........KKK",
    "KYYYK...........",
    "KYYYYKKKKKKK....",
    "KYYYYYYYYYYK....",
    "KYYYYYYYYYYK....",
    "KYYYYKKKKKKKKKKK",
    "KYYYKyyyyyyyyyK.",
    "KYYKyyyyyyyyyK..",
    "KYKyyyyyyyyyK...",
    "KKyyyyyyyyyK....",
    "KKKKKKKKKKK.....",
    "................",
}};
static_assert(ValidPicture(kPictureFolderOpen));

constexpr ToolPicture kPictureDisk{{
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KbKWWWWWWWWKbK.",
    ".KbKWWWWWWWWKbK.",
    ".KbKWggggggWKbK.",
    ".KbKWWWWWWWWKbK.",
    ".KbKWggggggWKbK.",
    ".KbKWWWWWWWWKbK.",
    ".KbbKKKKKKKKbbK.",
    ".KbbbbbbbbbbbbK.",
    ".KbbKKKKKKKKbbK.",
    ".KbbKllKKllKbbK.",
    ".KbbKllKKllKbbK.",
    ".KbbKllKKllKbbK.",
    "..KKKKKKKKKKKKK.",
    "................",
}};
static_assert(ValidPicture(kPictureDisk));

constexpr ToolPicture kPictureDiskPen{{
    "KKKKKKKKKKKKKK..",
    "KbKWWWWWWWWKbK..",
    "KbKWWWWWWWWKbK..",
    "KbKWggggggWKbK..",
    "KbKWWWWWWWWKbK..",
    "KbKWggggggWKbK..",
    "KbKWWWWWWWWKbK..",
    "KbbKKKKKKKKbbKKK",
    "KbbbbbbbbbbbbKrr",
    "KbbKKKKKKKKbKYYr",
    "KbbKllKKllKKYYYK",
    "KbbKllKKllKYYYK.",
    "KbbKllKKlKYYYK..",
    ".KKKKKKKKlYYKK..",
    "........KllK....",
    ".......KKKK.....",
}};
static_assert(ValidPicture(kPictureDiskPen));

constexpr ToolPicture kPicturePagePlus{{
    ".KKKKKKKK.......",
    ".KWWWWWWKK......",
    ".KWWWWWWKWK.....",
    ".KWWWWWWKKKK....",
    ".KWWWWWWWWWK....",
    ".KWlllllllWK....",
    ".KWWWWWWWKKKK...",
    ".KWllllllKGGK...",
    ".KWWWWWWWKGGK...",
    ".KWlllKKKKGGKKKK",
    ".KWWWWKGGGGGGGGK",
    ".KWlllKGGGGGGGGK",
    ".KWWWWKKKKGGKKKK",
    ".KWWWWWWWKGGK...",
    ".KKKKKKKKKGGK...",
    ".........KKKK...",
}};
static_assert(ValidPicture(kPicturePagePlus));

constexpr ToolPicture kPicturePagePencil{{
    ".KKKKKKKK.......",
    ".KWWWWWWKK......",
    ".KWWWWWWKWK.....",
    ".KWWWWWWKKKK....",
    ".KWWWWWWWWWK....",
    ".KWlllllllWK....",
    ".KWWWWWWWWWK....",
    ".KWlllllllWK..KK",
    ".KWWWWWWWWWK.Krr",
    ".KWlllllllWKKYYr",
    ".KWWWWWWWWWKYYYK",
    ".KWlllllllKYYYK.",
    ".KWWWWWWWKYYYK..",
    ".KWWWWWWKlYYK...",
    ".KKKKKKKKllK....",
    ".......KKKK.....",
}};
static_assert(ValidPicture(kPicturePagePencil));

constexpr ToolPicture kPicturePageMinus{{
    ".KKKKKKKK.......",
    ".KWWWWWWKK......",
    ".KWWWWWWKWK.....",
    ".KWWWWWWKKKK....",
    ".KWWWWWWWWWK....",
    ".KWlllllllWK....",
    ".KWWWWWWWWWK....",
    ".KWlllllllWK....",
    ".KWWWWWWWWWK....",
    ".KWlllllllWK....",
    ".KWWWWKKKKKKKKKK",
    ".KWlllKRRRRRRRRK",
    ".KWWWWKRRRRRRRRK",
    ".KWWWWKKKKKKKKKK",
    ".KKKKKKKKKKK....",
    "................",
}};
static_assert(ValidPicture(kPicturePageMinus));

constexpr ToolPicture kPicturePageCross{{
    ".KKKKKKKK.......",
    ".KWWWWWWKK......",
    ".KWWWWWWKWK.....",
    ".KWWWWWWKKKK....",
    ".KWWWWWWWWWK....",
    ".KWlllllllWK....",
    ".KWWWWKKWWWK..KK",
    ".KWlllKRKlWK.KRK",
    ".KWWWWKRRKWKKRRK",
    ".KWllllKRRKKRRK.",
    ".KWWWWWWKRRRRK..",
    ".KWlllllKRRRRK..",
    ".KWWWWWKRRKKRRK.",
    ".KWWWWKRRKWKKRRK",
    ".KKKKKKRKKKK.KRK",
    "......KK......KK",
}};
static_assert(ValidPicture(kPicturePageCross));

constexpr ToolPicture kPicturePlay{{
    "................",
    "................",
    "....KK..........",
    "....KGKK........",
    "....KGGGKK......",
    "....KGGGGGKK....",
    "....KGGGGGGGKK..",
    "....KGGGGGGGGK..",
    "....KGGGGGGGKK..",
    "....KGGGGGKK....",
    "....KGGGKK......",
    "....KGKK........",
    "....KK..........",
    "................",
    "................",
    "................",
}};
static_assert(ValidPicture(kPicturePlay));

constexpr ToolPicture kPictureConnect{{
    "KKKKKKKKKK......",
    "KllllllllK......",
    "KlCCCCCClK......",
    "KlCCCCCClK......",
    "KlCCCCCClK......",
    "KlCCCCCClK......",
    "KllllllllK......",
    "KKKKKKKKKK......",
    "...KllK.........",
    ".KKKKKKKK.......",
    ".KllllllK..KKKK.",
    ".KKKKKKKK..KllKK",
    "....KK.....KllK.",
    "....KGK....KllK.",
    "....KGGGGGGKllKK",
    ".....KKKKKKKKKK.",
}};
static_assert(ValidPicture(kPictureConnect));

constexpr ToolPicture kPictureDisconnect{{
    "KKKKKKKKKK......",
    "KllllllllK......",
    "KlCCCCCClK......",
    "KlCCCCCClK......",
    "KlCCCCCClK......",
    "KlCCCCCClK......",
    "KllllllllK......",
    "KKKKKKKKKK......",
    "...KllK.........",
    ".KKKKKKKKKK.....",
    ".KllKRKlKRKKKKK.",
    ".KKKKKRKRK.KllKK",
    "....KKKRK..KllK.",
    "....KKRKRK.KllK.",
    "....KRKGKRKKllKK",
    "....KKKKKKKKKKK.",
}};
static_assert(ValidPicture(kPictureDisconnect));

constexpr ToolPicture kPictureInfo{{
    ".....KKKKKK.....",
    "...KKBBBBBBKK...",
    "..KBBBBWWBBBBK..",
    ".KBBBBBWWBBBBBK.",
    ".KBBBBBBBBBBBBK.",
    "KBBBBBWWWBBBBBBK",
    "KBBBBBBWWBBBBBBK",
    "KBBBBBBWWBBBBBBK",
    "KBBBBBBWWBBBBBBK",
    "KBBBBBBWWBBBBBBK",
    "KBBBBBBWWBBBBBBK",
    ".KBBBBWWWWBBBBK.",
    ".KBBBBBBBBBBBBK.",
    "..KBBBBBBBBBBK..",
    "...KKBBBBBBKK...",
    ".....KKKKKK.....",
}};
static_assert(ValidPicture(kPictureInfo));

constexpr ToolPicture kPictureExit{{
    "................",
    ".....KKKKKKKKKK.",
    ".....KoyyyyyyoK.",
    ".....KoyyyyyyoK.",
    "....KKoyyyyyyoK.",
    "....KRKyyyyyyoK.",
    "KKKKKRRKyyyyyoK.",
    "KRRRRRRRKyyyKoK.",
    "KRRRRRRRKyyyyoK.",
    "KKKKKRRKyyyyyoK.",
    "....KRKyyyyyyoK.",
    "....KKoyyyyyyoK.",
    ".....KoyyyyyyoK.",
    ".....KoyyyyyyoK.",
    ".....KKKKKKKKKK.",
    "................",
}};
static_assert(ValidPicture(kPictureExit));

}  // namespace tresorix
