// The filter's text cut into tokens: numbers, quoted texts, names, parentheses, commas and the
// comparison operators.
#include <algorithm>

#include "framework/filterexpr_p.h"

namespace tavlo::filterlang {

namespace {

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<Token> lex(std::string_view src)
{
    std::vector<Token> out;
    std::size_t i = 0;
    while (true) {
        while (i < src.size() &&
               (src[i] == ' ' || src[i] == '\t' || src[i] == '\r' || src[i] == '\n'))
            ++i;
        Token t;
        t.at = i;
        if (i >= src.size()) {
            out.push_back(t);
            return out;
        }
        char c = src[i];
        std::size_t start = i;
        if (isDigit(c) || (c == '-' && i + 1 < src.size() && isDigit(src[i + 1]))) {
            bool neg = c == '-';
            if (neg)
                ++i;
            std::size_t intStart = i;
            while (i < src.size() && isDigit(src[i]))
                ++i;
            std::string_view whole = src.substr(intStart, i - intStart), frac;
            if (i + 1 < src.size() && src[i] == '.' && isDigit(src[i + 1])) {
                std::size_t fracStart = ++i;
                while (i < src.size() && isDigit(src[i]))
                    ++i;
                frac = src.substr(fracStart, i - fracStart);
            }
            t.raw = src.substr(start, i - start);
            while (!frac.empty() && frac.back() == '0')
                frac.remove_suffix(1);
            std::string digits = std::string(whole) + std::string(frac);
            digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
            if (frac.size() > kMaxScale)
                throw ParseError{"For mange desimaler i tallet: " + std::string(t.raw), start};
            if (digits.size() > kMaxDigits)
                throw ParseError{"Tallet er for stort: " + std::string(t.raw), start};
            for (char d : digits)
                t.m = t.m * 10 + (d - '0');
            if (neg)
                t.m = -t.m;
            t.s = static_cast<int>(frac.size());
            t.kind = Token::NUMBER;
        } else if (c == '\'') {
            ++i;
            while (true) {
                if (i >= src.size())
                    throw ParseError{"Teksten mangler avsluttende apostrof", start};
                if (src[i] == '\'') {
                    if (i + 1 < src.size() && src[i + 1] == '\'') {
                        t.str += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.str += src[i++];
            }
            t.kind = Token::STRING;
            t.raw = src.substr(start, i - start);
        } else if (isNameStart(c)) {
            while (i < src.size() && isNameChar(src[i]))
                ++i;
            if (i < src.size() && src[i] == ':') {
                ++i;
                while (i < src.size() && isNameChar(src[i]))
                    ++i;
            }
            t.kind = Token::NAME;
            t.raw = src.substr(start, i - start);
        } else {
            ++i;
            switch (c) {
            case '(': t.kind = Token::LPAREN; break;
            case ')': t.kind = Token::RPAREN; break;
            case ',': t.kind = Token::COMMA; break;
            case '=':
                t.kind = Token::OP;
                t.op = Op::EQ;
                break;
            case '<':
                t.kind = Token::OP;
                t.op = Op::LT;
                if (i < src.size() && (src[i] == '>' || src[i] == '=')) {
                    t.op = src[i] == '>' ? Op::NE : Op::LE;
                    ++i;
                }
                break;
            case '>':
                t.kind = Token::OP;
                t.op = Op::GT;
                if (i < src.size() && src[i] == '=') {
                    t.op = Op::GE;
                    ++i;
                }
                break;
            default: {
                // The whole character, not a piece of it, in the message.
                std::size_t end = i;
                while (end < src.size() && (static_cast<unsigned char>(src[end]) & 0xC0) == 0x80)
                    ++end;
                throw ParseError{"Ugyldig tegn: " + std::string(src.substr(start, end - start)),
                                 start};
            }
            }
            t.raw = src.substr(start, i - start);
        }
        out.push_back(std::move(t));
    }
}

} // namespace tavlo::filterlang
