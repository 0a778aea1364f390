// The value tokens of a stretch of an ASC file, classified and their numbers read, on two cores
// when the stretch is long: the reading of a file of plain rows is mostly this.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

enum TAscTokenKind : std::uint8_t {
    atNumber,     // a number (Value)
    atNotANumber, // "NAN"
    atEmpty,      // "###"
    atOpen,       // "(" standing alone
    atClosed,     // a number with ")" attached (Value)
    atOther,
};

class TAscTokens {
  public:
    // The tokens of Text, which must not end inside a token (the end of the file may).
    void Parse(std::string_view Text);
    std::size_t Size() const { return FFirst.Kinds.size() + FSecond.Kinds.size(); }
    TAscTokenKind Kind(std::size_t K) const { return Pick(K, &TPiece::Kinds); }
    double Value(std::size_t K) const { return Pick(K, &TPiece::Values); }
    // Where token K ends in the text (its separator).
    std::uint32_t End(std::size_t K) const { return Pick(K, &TPiece::Ends); }

  private:
    // The tokens of the first and the second half of the text, each read by one core.
    struct TPiece {
        std::vector<double> Values;
        std::vector<TAscTokenKind> Kinds;
        std::vector<std::uint32_t> Ends;
        void Parse(std::string_view Text, std::size_t Begin, std::size_t End);
    };
    template <class T> T Pick(std::size_t K, std::vector<T> TPiece::*Field) const
    {
        const std::size_t first = FFirst.Kinds.size();
        return K < first ? (FFirst.*Field)[K] : (FSecond.*Field)[K - first];
    }
    TPiece FFirst, FSecond;
};
