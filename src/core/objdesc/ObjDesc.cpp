// Visualization objects: property lines, painting, run-time changes, reset.
#include "objdesc/ObjDesc.h"

#include "Parser/RuleCompiler.h"
#include "Parser/Scanner.h"
#include "SimForm/PictureLibrary.h"

namespace korvo {

namespace {

// After the keyword: blanks, "=" as the next character, blanks. S keeps the value.
void ExpectEquals(std::string& S) {
    SkipWhitespace(S);
    if (S.empty() || S[0] != '=')
        throw EParseError(sdfmsg::EqualExpected);
    S.erase(0, 1);
    SkipWhitespace(S);
}

std::string Keyword(std::string& S) {
    return VisUpper(GetNextElement(S));
}

void ExpectEOL(std::string& S) {
    SkipWhitespace(S);
    if (!S.empty())
        throw EParseError(sdfmsg::EOLExpected);
}

std::string TrimBlanks(std::string s) {
    SkipWhitespace(s);
    while (!s.empty() && IsVisBlank(s.back()))
        s.pop_back();
    return s;
}

int32_t LookupAlias(const TVisContext& Ctx, const std::string& Alias) {
    const int32_t idx = Ctx.Pictures ? Ctx.Pictures->FindAlias(Alias) : -1;
    if (idx < 0)
        throw EParseError(sdfmsg::AliasUndefined(Alias));
    return idx;
}

void FitToFrame(const TVisContext& Ctx, int32_t Alias, int32_t& W, int32_t& H) {
    if (Alias < 0 || !Ctx.Pictures || Alias >= Ctx.Pictures->Count())
        return;
    const TPicStrip& s = Ctx.Pictures->Strip(Alias);
    if (W == -1)
        W = s.FrameWidth;
    if (H == -1)
        H = s.FrameHeight;
}

void Invalidate(TodUnknown* Parent, const TVisRect& R) {
    if (Parent && Parent->IsVisible())
        static_cast<TodVisible*>(Parent)->InvalidateRect(R);
}

// 32-bit product, truncating division.
int32_t Interpolate(int32_t From, int32_t To, int32_t Pos) {
    const uint32_t diff = static_cast<uint32_t>(To) - static_cast<uint32_t>(From);
    const int32_t prod = static_cast<int32_t>(diff * static_cast<uint32_t>(Pos));
    return static_cast<int32_t>(static_cast<uint32_t>(From) + static_cast<uint32_t>(prod / 1000));
}

} // namespace

void ReadPositionFields(std::string Value, int32_t* Out, int Count) {
    std::string v;
    for (char c : Value)
        if (c != ' ')
            v += c;
    size_t start = 0;
    for (int i = 0; i < Count; ++i) {
        std::string field;
        if (start <= v.size()) {
            const size_t comma = v.find(',', start);
            field = v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            start = comma == std::string::npos ? v.size() + 1 : comma + 1;
        }
        if (!VisStrToInt(field, Out[i]))
            Out[i] = -1;
    }
}

// ---------------------------------------------------------------------------------------------
// TodUnknown

TodUnknown::TodUnknown(const TVisContext& Ctx, TObjType Kind) : FObjType(Kind), FCtx(Ctx) {}
TodUnknown::~TodUnknown() = default;

void TodUnknown::ProcessString(const std::string& S) {
    std::string r = S;
    const std::string kw = Keyword(r);
    if (kw == "FIELD") {
        SkipWhitespace(r);
        std::string type = Keyword(r);
        bool persistent = false;
        if (type == "PERSISTENT") {
            persistent = true;
            SkipWhitespace(r);
            type = Keyword(r);
        }
        if (type != "LINT")
            throw EParseError(sdfmsg::UnknownType);
        SkipWhitespace(r);
        auto field = std::make_unique<TSOField>();
        field->Name = Keyword(r);
        field->Persistent = persistent;
        ExpectEOL(r);
        FFields.push_back(std::move(field));
        throw EParseSuccess();
    }
    if (kw == "END_OBJECT") {
        ExpectEOL(r);
        throw EParseEndBlock();
    }
}

TParseResult TodUnknown::ParseLine(const std::string& Line, std::string& Error) {
    std::string s = Line;
    SkipWhitespace(s);
    try {
        if (s.empty() || s[0] == '#')
            throw EParseSuccess();
        ProcessString(s);
        throw EParseError(sdfmsg::UnknownIdentifier);
    } catch (const EParseSuccess&) {
        AfterSuccess();
        return TParseResult::prSuccess;
    } catch (const EParseError& e) {
        Error = e.what();
        return TParseResult::prError;
    } catch (const EParseEndBlock&) {
        return TParseResult::prEndBlock;
    } catch (const EParseChildObject&) {
        return TParseResult::prChildObject;
    }
}

uint16_t TodUnknown::GetFieldID(const std::string& S) const {
    const std::string u = VisUpper(S);
    for (size_t i = 0; i < FFields.size() && i < FieldIdBuiltIn; ++i)
        if (FFields[i]->Name == u)
            return static_cast<uint16_t>(i);
    return FieldIdNone;
}

void TodUnknown::Reset() {
    for (auto& f : FFields)
        if (!f->Persistent)
            f->Value = 0;
}

TFunction* TodUnknown::GetFunctionByName(const std::string& Name) const {
    const std::string u = VisUpper(Name);
    for (auto it = FFunctions.rbegin(); it != FFunctions.rend(); ++it)
        if ((*it)->FFunName == u)
            return it->get();
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// TodContainer, TodVisible

void TodContainer::ProcessString(const std::string& S) {
    std::string r = S;
    if (Keyword(r) == "OBJECT")
        throw EParseChildObject();
    TodUnknown::ProcessString(S);
}

void TodContainer::AddChild(std::unique_ptr<TodUnknown> AChild) {
    AChild->FParent = this;
    FChildren.push_back(std::move(AChild));
}

void TodVisible::ProcessString(const std::string& S) {
    std::string r = S;
    if (Keyword(r) == "POSITION") {
        ExpectEquals(r);
        int32_t v[4];
        ReadPositionFields(r, v, 4);
        FLeft = v[0] < 0 ? 0 : v[0];
        FTop = v[1] < 0 ? 0 : v[1];
        FWidth = v[2];
        FHeight = v[3];
        throw EParseSuccess();
    }
    TodContainer::ProcessString(S);
}

void TodVisible::Paint(IVisCanvas& Canvas, const TVisRect& Bounds) {
    const TVisRect moved = Bounds.Moved(FLeft, FTop);
    for (auto& c : FChildren)
        if (c->IsVisible())
            static_cast<TodVisible*>(c.get())->Paint(Canvas, moved);
}

void TodVisible::InvalidateRect(const TVisRect& Bounds) {
    Invalidate(FParent, Bounds.Moved(FLeft, FTop));
}

TVisRect TodVisible::GetAbsPos() const {
    TVisRect r = OwnRect();
    if (FParent && FParent->IsVisible()) {
        const TVisRect p = static_cast<const TodVisible*>(FParent)->GetAbsPos();
        r = r.Moved(p.Left, p.Top);
    }
    return r;
}

TVisPoint TodVisible::DrawOrigin() const {
    if (FParent && FParent->IsVisible()) {
        const auto* p = static_cast<const TodVisible*>(FParent);
        return {p->FLeft + FLeft, p->FTop + FTop};
    }
    return {FLeft, FTop};
}

// ---------------------------------------------------------------------------------------------
// TodWindow

void TodWindow::ProcessString(const std::string& S) {
    std::string r = S;
    const std::string kw = Keyword(r);
    if (kw == "TITLE") {
        ExpectEquals(r);
        FTitle = r;
        throw EParseSuccess();
    }
    if (kw == "POSITION") {
        try {
            TodVisible::ProcessString(S);
        } catch (const EParseSuccess&) {
            // The picture is one off-screen image of this size.
            if (FWidth > MaxWindowSize || FHeight > MaxWindowSize)
                throw EParseError(sdfmsg::WindowTooLarge);
            throw;
        }
    }
    TodVisible::ProcessString(S);
}

void TodWindow::AfterSuccess() {
    const int32_t w = FWidth >= 0 ? FWidth : FBitmap.Width;
    const int32_t h = FHeight >= 0 ? FHeight : FBitmap.Height;
    if (w != FBitmap.Width || h != FBitmap.Height)
        FBitmap.Resize(w, h);
}

void TodWindow::RenderTo(IVisCanvas& Canvas, const TVisRect& Bounds) {
    Canvas.FillRect({0, 0, FBitmap.Width, FBitmap.Height}, VisButtonFace);
    for (auto& c : FChildren)
        if (c->IsVisible())
            static_cast<TodVisible*>(c.get())->Paint(Canvas, Bounds);
}

void TodWindow::Paint(IVisCanvas& Canvas, const TVisRect& Bounds) {
    if (!FIsInvalid && Bounds.IsEmpty())
        return;
    FIsInvalid = false;
    TImageCanvas image(FBitmap);
    RenderTo(image, Bounds);
    Canvas.DrawImage(FBitmap, 0, 0);
}

void TodWindow::InvalidateRect(const TVisRect&) {
    FIsInvalid = true;
}

// ---------------------------------------------------------------------------------------------
// TodText, TodPicture, TodDynamicPic, TodGroup, TodTimer

void TodText::ProcessString(const std::string& S) {
    std::string r = S;
    if (Keyword(r) == "TEXT") {
        ExpectEquals(r);
        FText = r;
        throw EParseSuccess();
    }
    TodVisible::ProcessString(S);
}

void TodPicture::ProcessString(const std::string& S) {
    std::string r = S;
    if (Keyword(r) == "PICALIAS") {
        ExpectEquals(r);
        const size_t comma = r.find(',');
        const std::string alias = VisUpper(r.substr(0, comma));
        int32_t frame = 0;
        if (comma == std::string::npos || !VisStrToInt(TrimBlanks(r.substr(comma + 1)), frame))
            frame = 0;
        FPicAlias = LookupAlias(FCtx, alias);
        FPicIndex = frame;
        throw EParseSuccess();
    }
    TodVisible::ProcessString(S);
}

void TodPicture::AfterSuccess() {
    FitToFrame(FCtx, FPicAlias, FWidth, FHeight);
}

void TodPicture::Paint(IVisCanvas& Canvas, const TVisRect&) {
    if (FPicAlias < 0 || !FCtx.Pictures || FPicAlias >= FCtx.Pictures->Count())
        return;
    const TVisPoint o = DrawOrigin();
    Canvas.DrawFrame(FCtx.Pictures->Strip(FPicAlias), FPicIndex, o.X, o.Y);
}

void TodDynamicPic::ProcessString(const std::string& S) {
    std::string r = S;
    const std::string kw = Keyword(r);
    if (kw == "PICALIAS") {
        ExpectEquals(r);
        FPicAlias = LookupAlias(FCtx, VisUpper(GetNextElement(r)));
        throw EParseSuccess();
    }
    if (kw == "PERSISTENT") {
        FPersistent = true;
        throw EParseSuccess();
    }
    TodVisible::ProcessString(S);
}

void TodDynamicPic::AfterSuccess() {
    FitToFrame(FCtx, FPicAlias, FWidth, FHeight);
}

uint16_t TodDynamicPic::GetFieldID(const std::string& S) const {
    if (VisUpper(S) == "IMG")
        return FieldIdBuiltIn;
    return TodUnknown::GetFieldID(S);
}

void TodDynamicPic::Reset() {
    TodUnknown::Reset();
    if (!FPersistent)
        FCurrentPic = FDefaultPic;
}

void TodDynamicPic::Paint(IVisCanvas& Canvas, const TVisRect&) {
    if (FPicAlias < 0 || !FCtx.Pictures || FPicAlias >= FCtx.Pictures->Count())
        return;
    const TVisPoint o = DrawOrigin();
    Canvas.DrawFrame(FCtx.Pictures->Strip(FPicAlias), FCurrentPic, o.X, o.Y);
}

void TodDynamicPic::SetCurrentPic(int32_t AValue) {
    if (AValue == FCurrentPic)
        return;
    FCurrentPic = AValue;
    Invalidate(FParent, OwnRect());
}

void TodGroup::ProcessString(const std::string& S) {
    std::string r = S;
    if (Keyword(r) == "POSITION_2") {
        ExpectEquals(r);
        int32_t v[2];
        ReadPositionFields(r, v, 2);
        FLeft2 = v[0];
        FTop2 = v[1];
        FMovePos = 0;
        throw EParseSuccess();
    }
    TodVisible::ProcessString(S);
}

void TodGroup::AfterSuccess() {
    FLeft1 = FLeft;
    FTop1 = FTop;
    for (auto& c : FChildren) {
        if (!c->IsVisible())
            continue;
        const auto* v = static_cast<const TodVisible*>(c.get());
        if (v->FLeft + v->FWidth > FWidth)
            FWidth = v->FLeft + v->FWidth;
        if (v->FTop + v->FHeight > FHeight)
            FHeight = v->FTop + v->FHeight;
    }
}

uint16_t TodGroup::GetFieldID(const std::string& S) const {
    if (VisUpper(S) == "MOVEPOS")
        return FieldIdBuiltIn;
    return TodUnknown::GetFieldID(S);
}

void TodGroup::SetMovePos(int32_t AValue) {
    if (AValue == FMovePos)
        return;
    Invalidate(FParent, OwnRect());
    FMovePos = AValue;
    FLeft = Interpolate(FLeft1, FLeft2, AValue);
    FTop = Interpolate(FTop1, FTop2, AValue);
    Invalidate(FParent, OwnRect());
}

void TodTimer::ProcessString(const std::string& S) {
    std::string r = S;
    if (Keyword(r) == "TIMEOUT") {
        ExpectEquals(r);
        if (!VisStrToInt(TrimBlanks(r), FTimeOut))
            FTimeOut = -1;
        throw EParseSuccess();
    }
    TodUnknown::ProcessString(S);
}

void TodTimer::Reset() {
    TodUnknown::Reset();
    FLastCount = 0;
}

// ---------------------------------------------------------------------------------------------
// TFunction

TFunction::TFunction(TodUnknown* Owner, std::string Name, const TVisContext& Ctx)
    : FFunName(std::move(Name)), FOwner(Owner), FCtx(Ctx) {}
TFunction::~TFunction() = default;

void TFunction::ProcessString(const std::string& S, const TObjList& AllObjects) {
    std::string r = S;
    if (Keyword(r) == "END_FUNCTION") {
        ExpectEOL(r);
        throw EParseEndBlock();
    }
    std::string e = S;
    CompileSDLExpression(e, FCode, AllObjects, FCtx.Host);
    ExpectEOL(e);
    throw EParseSuccess();
}

TParseResult TFunction::ParseLine(const std::string& Line, std::string& Error, const TObjList& AllObjects) {
    std::string s = Line;
    SkipWhitespace(s);
    try {
        if (s.empty() || s[0] == '#')
            throw EParseSuccess();
        ProcessString(s, AllObjects);
        throw EParseError(sdfmsg::UnknownIdentifier);
    } catch (const EParseSuccess&) {
        return TParseResult::prSuccess;
    } catch (const EParseError& e) {
        Error = e.what();
        return TParseResult::prError;
    } catch (const EParseEndBlock&) {
        return TParseResult::prEndBlock;
    } catch (const EParseChildObject&) {
        return TParseResult::prChildObject;
    }
}

// ---------------------------------------------------------------------------------------------
// Loader functions

TParseResult CreateObject(std::unique_ptr<TodUnknown>& ObjDesc, const std::string& Line, std::string& Error,
                          const TVisContext& Ctx) {
    std::string s = Line;
    SkipWhitespace(s);
    if (s.empty() || s[0] == '#')
        return TParseResult::prSuccess;
    if (Keyword(s) != "OBJECT") {
        Error = sdfmsg::UnknownIdentifier;
        return TParseResult::prError;
    }
    SkipWhitespace(s);
    const std::string kind = Keyword(s);
    std::unique_ptr<TodUnknown> obj;
    if (kind == "WINDOW")
        obj = std::make_unique<TodWindow>(Ctx);
    else if (kind == "TIMER")
        obj = std::make_unique<TodTimer>(Ctx);
    else if (kind == "TEXT")
        obj = std::make_unique<TodText>(Ctx);
    else if (kind == "PICTURE")
        obj = std::make_unique<TodPicture>(Ctx);
    else if (kind == "DYNAMICPIC")
        obj = std::make_unique<TodDynamicPic>(Ctx);
    else if (kind == "GROUP")
        obj = std::make_unique<TodGroup>(Ctx);
    else {
        Error = sdfmsg::UnknownIdentifier;
        return TParseResult::prError;
    }
    SkipWhitespace(s);
    obj->FObjName = Keyword(s);
    SkipWhitespace(s);
    if (!s.empty()) {
        Error = sdfmsg::EOLExpected;
        return TParseResult::prError;
    }
    ObjDesc = std::move(obj);
    return TParseResult::prSuccess;
}

std::unique_ptr<TodCPU> CreateCPUObject(const TVisContext& Ctx) {
    return std::make_unique<TodCPU>(Ctx);
}

TParseResult CreateFunction(TFunction*& Fun, const TObjList& AllObjects, const std::string& Line,
                            std::string& Error, const TVisContext& Ctx) {
    Fun = nullptr;
    std::string s = Line;
    SkipWhitespace(s);
    if (s.empty() || s[0] == '#')
        return TParseResult::prSuccess;
    auto fail = [&](const char* msg) {
        Error = msg;
        return TParseResult::prError;
    };
    if (Keyword(s) != "FUNCTION")
        return fail(sdfmsg::UnknownIdentifier);
    SkipWhitespace(s);
    GetNextElement(s); // return type: VOID or any other word
    SkipWhitespace(s);
    const std::string objName = Keyword(s);
    TodUnknown* owner = nullptr;
    for (TodUnknown* o : AllObjects)
        if (o->FObjName == objName) {
            owner = o;
            break;
        }
    if (!owner)
        return fail(sdfmsg::UnknownObjectIdentifier);
    SkipWhitespace(s);
    if (s.empty() || s[0] != '.')
        return fail(sdfmsg::DotExpected);
    s.erase(0, 1);
    SkipWhitespace(s);
    std::string name = Keyword(s);
    SkipWhitespace(s);
    if (s.empty() || s[0] != '(')
        return fail(sdfmsg::LParenExpected);
    s.erase(0, 1);
    SkipWhitespace(s);
    if (s.empty() || s[0] != ')')
        return fail(sdfmsg::RParenExpected);
    s.erase(0, 1);
    SkipWhitespace(s);
    if (!s.empty())
        return fail(sdfmsg::EOLExpected);
    owner->FFunctions.push_back(std::make_unique<TFunction>(owner, std::move(name), Ctx));
    Fun = owner->FFunctions.back().get();
    return TParseResult::prSuccess;
}

} // namespace korvo
