// The tree of a filter: recursive descent over the tokens, constants folded as the nodes are
// made, NOT pushed down to the comparisons.
#include <algorithm>

#include "data/tables.h"
#include "framework/filterexpr.h"
#include "framework/filterexpr_p.h"

namespace tavlo::filterlang {

namespace {

bool sameWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'a' && x <= 'z' ? x - 32 : x) == y;
           });
}

Op negation(Op op)
{
    switch (op) {
    case Op::EQ: return Op::NE;
    case Op::NE: return Op::EQ;
    case Op::LT: return Op::GE;
    case Op::GE: return Op::LT;
    case Op::GT: return Op::LE;
    case Op::LE: return Op::GT;
    }
    return op;
}

NodePtr makeNode(Node::Kind kind, VType type)
{
    auto n = std::make_unique<Node>();
    n->kind = kind;
    n->type = type;
    return n;
}

class Parser {
  public:
    Parser(std::string_view src, const TableDecl& table) : toks_(lex(src)), table_(table) {}

    NodePtr parseFilter()
    {
        NodePtr n = parseOr();
        if (peek().kind != Token::END)
            unexpected(peek());
        return condition(std::move(n));
    }

  private:
    const Token& peek() const { return toks_[pos_]; }
    const Token& take() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
    bool atWord(std::string_view w) const
    {
        return peek().kind == Token::NAME && sameWord(peek().raw, w);
    }

    [[noreturn]] void unexpected(const Token& t) const
    {
        if (t.kind == Token::END)
            throw ParseError{"Uventet slutt på uttrykket", t.at};
        throw ParseError{"Uventet symbol: " + std::string(t.raw), t.at};
    }

    void enter(const Token& t)
    {
        if (++depth_ > FilterExpr::kMaxDepth)
            throw ParseError{"Uttrykket er nøstet for dypt", t.at};
    }

    // Folds a node whose operands are all constants into its constant.
    static NodePtr fold(NodePtr n)
    {
        if (!std::all_of(n->kids.begin(), n->kids.end(),
                         [](const NodePtr& k) { return k->isConst(); }))
            return n;
        Val v = value(*n, nullptr);
        NodePtr c;
        if (n->type == VType::BOOL) {
            c = makeNode(Node::BOOL_CONST, VType::BOOL);
            c->num = v.m;
        } else if (v.isText) {
            c = makeNode(Node::TEXT_CONST, VType::TEXT);
            c->text = std::move(v.t);
        } else {
            c = makeNode(Node::NUM_CONST, VType::NUM);
            c->num = v.m;
            c->scale = v.s;
        }
        return c;
    }

    static NodePtr condition(NodePtr n)
    {
        if (n->type == VType::BOOL)
            return n;
        auto t = makeNode(Node::TRUTH, VType::BOOL);
        t->kids.push_back(std::move(n));
        return fold(std::move(t));
    }

    static NodePtr requireValue(NodePtr n, std::size_t at)
    {
        if (n->type == VType::BOOL)
            throw ParseError{"Et vilkår kan ikke brukes som verdi", at};
        return n;
    }

    // NOT goes down to the comparisons and values, where it costs nothing: the database's
    // parser has room for only a few dozen levels of nesting.
    static NodePtr negate(NodePtr n)
    {
        switch (n->kind) {
        case Node::BOOL_CONST: n->num = !n->num; break;
        case Node::CMP: n->op = negation(n->op); break;
        case Node::TRUTH: n->negated = !n->negated; break;
        case Node::AND:
        case Node::OR: {
            auto m = makeNode(n->kind == Node::AND ? Node::OR : Node::AND, VType::BOOL);
            for (auto& k : n->kids)
                join(*m, negate(std::move(k)));
            return m;
        }
        default: break;
        }
        return n;
    }

    // a AND (b AND c) is a AND b AND c, one level instead of two.
    static void join(Node& junction, NodePtr n)
    {
        if (n->kind != junction.kind) {
            junction.kids.push_back(std::move(n));
            return;
        }
        for (auto& k : n->kids)
            junction.kids.push_back(std::move(k));
    }

    NodePtr parseJunction(Node::Kind kind, std::string_view word)
    {
        NodePtr first = kind == Node::OR ? parseJunction(Node::AND, "AND") : parseNot();
        if (!atWord(word))
            return first;
        auto n = makeNode(kind, VType::BOOL);
        join(*n, condition(std::move(first)));
        while (atWord(word)) {
            take();
            join(*n, condition(kind == Node::OR ? parseJunction(Node::AND, "AND") : parseNot()));
        }
        return fold(std::move(n));
    }

    NodePtr parseOr() { return parseJunction(Node::OR, "OR"); }

    NodePtr parseNot()
    {
        if (!atWord("NOT"))
            return parseComparison();
        enter(take());
        NodePtr n = negate(condition(parseNot()));
        --depth_;
        return n;
    }

    NodePtr parseComparison()
    {
        std::size_t first = peek().at;
        NodePtr a = parseValue();
        if (peek().kind != Token::OP)
            return a;
        Op op = take().op;
        std::size_t second = peek().at;
        NodePtr b = parseValue();
        auto n = makeNode(Node::CMP, VType::BOOL);
        n->op = op;
        n->kids.push_back(requireValue(std::move(a), first));
        n->kids.push_back(requireValue(std::move(b), second));
        return fold(std::move(n));
    }

    NodePtr parseValue()
    {
        const Token& t = take();
        switch (t.kind) {
        case Token::NUMBER: {
            auto n = makeNode(Node::NUM_CONST, VType::NUM);
            n->num = t.m;
            n->scale = t.s;
            return n;
        }
        case Token::STRING: {
            auto n = makeNode(Node::TEXT_CONST, VType::TEXT);
            n->text = t.str;
            return n;
        }
        case Token::LPAREN: {
            enter(t);
            NodePtr n = parseOr();
            if (peek().kind != Token::RPAREN) {
                if (peek().kind == Token::END)
                    throw ParseError{"Mangler )", peek().at};
                unexpected(peek());
            }
            take();
            --depth_;
            return n;
        }
        case Token::NAME: return parseName(t);
        default: unexpected(t);
        }
    }

    NodePtr parseName(const Token& t)
    {
        if (t.raw.find(':') != std::string_view::npos) {
            if (int f = table_.fieldNo(t.raw); f >= 0) {
                const FieldDecl& d = table_.fields[f];
                auto n =
                    makeNode(Node::FIELD, d.type == FieldType::TEXT ? VType::TEXT : VType::NUM);
                n->num = f;
                n->scale = d.type == FieldType::DEC ? 2 : 0;
                return n;
            }
            if (int m = table_.memoNo(t.raw); m >= 0) {
                auto n = makeNode(Node::MEMO, VType::TEXT);
                n->num = m;
                return n;
            }
            throw ParseError{"Ukjent felt: " + std::string(t.raw), t.at};
        }
        bool upper = sameWord(t.raw, "UPPER");
        if (!upper && !sameWord(t.raw, "INSTRING")) {
            if (sameWord(t.raw, "AND") || sameWord(t.raw, "OR") || sameWord(t.raw, "NOT"))
                unexpected(t);
            throw ParseError{"Ukjent navn: " + std::string(t.raw), t.at};
        }
        if (peek().kind != Token::LPAREN)
            throw ParseError{"Mangler ( etter " + std::string(t.raw), peek().at};
        enter(take());
        std::vector<NodePtr> args;
        std::vector<std::size_t> argAt;
        while (true) {
            argAt.push_back(peek().at);
            args.push_back(requireValue(parseOr(), argAt.back()));
            if (peek().kind == Token::COMMA) {
                take();
                continue;
            }
            if (peek().kind == Token::RPAREN)
                break;
            if (peek().kind == Token::END)
                throw ParseError{"Mangler )", peek().at};
            unexpected(peek());
        }
        take();
        --depth_;
        std::size_t want = upper ? 1 : 4;
        if (args.size() != want)
            throw ParseError{upper ? "UPPER tar ett argument" : "INSTRING tar fire argumenter",
                             t.at};
        NodePtr n;
        if (upper) {
            n = makeNode(Node::UPPER, VType::TEXT);
        } else {
            n = makeNode(Node::INSTRING, VType::NUM);
            for (int i : {2, 3})
                if (args[i]->kind != Node::NUM_CONST || args[i]->scale != 0)
                    throw ParseError{"INSTRING: steg og start må være hele tall", argAt[i]};
            n->num = args[2]->num;
            n->num2 = args[3]->num;
            args.resize(2);
        }
        n->kids = std::move(args);
        return fold(std::move(n));
    }

    std::vector<Token> toks_;
    const TableDecl& table_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

} // namespace

NodePtr parseTree(std::string_view src, const TableDecl& table)
{
    return Parser(src, table).parseFilter();
}

} // namespace tavlo::filterlang
