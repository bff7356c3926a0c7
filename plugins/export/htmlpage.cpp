#include "htmlpage.h"

#include <cstdio>
#include <cstdlib>
#include <span>

#include "exportfile.h"
#include "htmltext.h"
#include "slotcaptions.h"

namespace {

std::string Slot(const TMovieTextRec &movie, int slot)
{
    return Utf8(movie.Slots[slot]);
}

// Year and rating as numbers for sorting: "0" and unreadable text sort first.
double Number(std::string_view text)
{
    const std::string copy(text);
    char *end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() ? 0 : value;
}

std::string Minutes(std::string_view hms)
{
    const std::string text = RunningTime(hms);
    if (text.empty())
        return "0";
    const size_t h = text.find(" h ");
    const long minutes = h == std::string::npos
                             ? std::atol(text.c_str())
                             : std::atol(text.c_str()) * 60 + std::atol(text.c_str() + h + 3);
    return std::to_string(minutes);
}

// The title, linked when the record's URL field holds a web address.
std::string TitleMarkup(const std::string &title, const std::string &url)
{
    std::string out;
    if (IsWebLink(url)) {
        out += "<a href=\"";
        AppendEscaped(out, url);
        out += "\" rel=\"noopener noreferrer\">";
        AppendEscaped(out, title);
        out += "</a>";
    } else {
        AppendEscaped(out, title);
    }
    return out;
}

constexpr const char *Style = R"(<style>
:root{--gap:1rem;--card:11rem;font-family:system-ui,sans-serif;color:#222;background:#fafafa}
body{margin:0 auto;max-width:90rem;padding:var(--gap)}
h1{font-size:1.6rem;margin:.2rem 0 1rem}
.controls{display:flex;flex-wrap:wrap;gap:.5rem;align-items:center;margin-bottom:var(--gap)}
.view{position:absolute;opacity:0}
.view+label{padding:.3rem .8rem;border:1px solid #888;border-radius:.3rem;cursor:pointer}
.view:checked+label{background:#333;color:#fff}
.view:focus-visible+label{outline:2px solid #06c}
#search{flex:1;min-width:10rem;padding:.3rem}
#view-table:checked~.grid,#view-grid:checked~.list{display:none}
.grid{display:grid;grid-template-columns:repeat(auto-fill,minmax(var(--card),1fr));gap:var(--gap)}
.card{background:#fff;border:1px solid #ddd;border-radius:.4rem;padding:.5rem;overflow-wrap:anywhere}
.card img,.noposter{display:block;width:100%;aspect-ratio:2/3;object-fit:cover;background:#ccc;border-radius:.2rem}
.card h2{font-size:1rem;margin:.4rem 0 .2rem}
.card p{margin:.2rem 0;font-size:.85rem}
.stars{color:#c80;letter-spacing:.1em}
.description{white-space:pre-line}
.episodes{font-size:.85rem;padding-left:1.4rem;margin:.3rem 0}
.list{overflow-x:auto}
table{border-collapse:collapse;width:100%;background:#fff}
th,td{border-bottom:1px solid #ddd;padding:.3rem .5rem;text-align:left;vertical-align:top}
th button{all:inherit;cursor:pointer;font-weight:bold}
tr.episode td:first-child{padding-left:1.6rem}
[hidden]{display:none!important}
@media (max-width:40rem){:root{--card:8rem}.list td:nth-child(5),.list th:nth-child(5){display:none}}
@media print{
:root{background:#fff}
.controls,.list,.card img,.noposter{display:none!important}
.grid{display:block!important}
.card{display:block!important;border:0;border-bottom:1px solid #999;border-radius:0;padding:.4rem 0;break-inside:avoid}
a{color:inherit;text-decoration:none}
}
</style>
)";

// Sorting by column and the search box; the page works without them.
constexpr const char *Script = R"(<script>
(function(){
window.addEventListener('beforeprint',function(){
document.querySelectorAll('details').forEach(function(d){d.open=true;});});
var search=document.getElementById('search');
search.hidden=false;
search.addEventListener('input',function(){
var q=search.value.toLowerCase();
document.querySelectorAll('.card,.list tbody').forEach(function(e){
e.hidden=q!==''&&e.textContent.toLowerCase().indexOf(q)<0;});});
var table=document.querySelector('.list table');
table.querySelectorAll('th button').forEach(function(b,col){
b.addEventListener('click',function(){
var down=b.getAttribute('aria-sort')!=='ascending';
table.querySelectorAll('th button').forEach(function(o){o.removeAttribute('aria-sort');});
b.setAttribute('aria-sort',down?'ascending':'descending');
var key=function(g){var c=g.rows[0].cells[col];return c.dataset.value!==undefined?parseFloat(c.dataset.value):c.textContent.toLowerCase();};
var groups=Array.prototype.slice.call(table.tBodies);
groups.sort(function(a,b){var x=key(a),y=key(b);var r=typeof x==='number'?x-y:x.localeCompare(y);return down?r:-r;});
groups.forEach(function(g){table.appendChild(g);});});});
})();
</script>
)";

} // namespace

std::string UrlPath(std::string_view name)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        const auto u = (unsigned char)c;
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '-'
            || c == '_' || c == '.' || c == '~' || c == '/') {
            out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

THtmlPage::THtmlPage(std::string title, int32_t lang, bool people)
    : m_title(std::move(title))
    , m_lang(lang)
    , m_people(people)
{}

const char16_t *THtmlPage::Caption(int slot) const
{
    return m_people ? PersonSlotCaption(slot, m_lang) : MovieSlotCaption(slot, m_lang);
}

std::string THtmlPage::Head() const
{
    const bool german = m_lang == RK_LANG_GERMAN;
    std::string out =
        german ? "<!DOCTYPE html>\n<html lang=\"de\">\n" : "<!DOCTYPE html>\n<html lang=\"en\">\n";
    out += "<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<meta name=\"generator\" content=\"Reelkeep\">\n<title>";
    AppendEscaped(out, m_title);
    out += "</title>\n";
    out += Style;
    out += "</head>\n<body>\n<header><h1>";
    AppendEscaped(out, m_title);
    out += "</h1></header>\n<main>\n<div class=\"controls\">\n"
           "<input type=\"radio\" name=\"view\" id=\"view-grid\" class=\"view\" checked>"
           "<label for=\"view-grid\">";
    out += german ? "Plakate" : "Posters";
    out += "</label>\n<input type=\"radio\" name=\"view\" id=\"view-table\" class=\"view\">"
           "<label for=\"view-table\">";
    out += german ? "Tabelle" : "Table";
    out += "</label>\n<input type=\"search\" id=\"search\" hidden placeholder=\"";
    out += german ? "Suchen" : "Search";
    out += "\" aria-label=\"";
    out += german ? "Suchen" : "Search";
    out += "\">\n</div>\n<section class=\"grid\">\n";
    return out;
}

std::string THtmlPage::CloseCard()
{
    if (m_card.empty())
        return {};
    std::string out = std::move(m_card);
    m_card.clear();
    if (!m_episodes.empty()) {
        out += "<ol class=\"episodes\">\n";
        out += m_episodes;
        out += "</ol>\n";
        m_episodes.clear();
    }
    out += "</article>\n";
    return out;
}

std::string THtmlPage::Add(const TMovieTextRec &movie, bool episode, std::string_view poster)
{
    const std::string title = Slot(movie, MovieTitle);
    const std::string url = Slot(movie, MovieUrl);
    const std::string year = Slot(movie, MovieYear);
    const bool hasYear = Number(year) > 0;
    const std::string genre = Slot(movie, MovieGenre);
    const std::string director = Slot(movie, MovieDirector);
    const std::string actors = Slot(movie, MovieActors);
    const std::string rating = Slot(movie, MovieRating);
    const std::string stars = Stars(Number(rating));
    const std::string length = Slot(movie, MovieLength);
    const std::string running = RunningTime(length);
    const std::string description = Slot(movie, MovieDescription);

    // The table: a row group per movie, its episodes in the same group.
    if (!episode) {
        if (m_rowGroupOpen)
            m_rows += "</tbody>\n";
        m_rows += "<tbody>\n";
        m_rowGroupOpen = true;
    }
    m_rows += episode ? "<tr class=\"episode\"><td>" : "<tr><td>";
    m_rows += TitleMarkup(title, url);
    m_rows += "</td><td data-value=\"";
    m_rows += hasYear ? std::to_string(long(Number(year))) : "0";
    m_rows += "\">";
    if (hasYear)
        AppendEscaped(m_rows, year);
    m_rows += "</td><td>";
    AppendEscaped(m_rows, genre);
    m_rows += "</td><td>";
    AppendEscaped(m_rows, director);
    m_rows += "</td><td>";
    AppendEscaped(m_rows, actors);
    m_rows += "</td><td data-value=\"";
    m_rows += std::to_string(Number(rating) > 0 ? Number(rating) : 0.0);
    m_rows += "\">";
    if (!stars.empty()) {
        m_rows += "<span class=\"stars\" title=\"";
        AppendEscaped(m_rows, rating);
        m_rows += "/10\">" + stars + "</span>";
    }
    m_rows += "</td><td data-value=\"" + Minutes(length) + "\">" + running + "</td></tr>\n";

    if (episode) {
        if (m_card.empty())
            return {};
        m_episodes += "<li>";
        m_episodes += TitleMarkup(title, url);
        if (hasYear) {
            m_episodes += " (";
            AppendEscaped(m_episodes, year);
            m_episodes += ")";
        }
        m_episodes += "</li>\n";
        return {};
    }

    std::string out = CloseCard();
    std::string &card = m_card;
    card += "<article class=\"card\">\n";
    if (poster.empty()) {
        card += "<div class=\"noposter\"></div>\n";
    } else {
        card += "<img src=\"";
        AppendEscaped(card, poster);
        card += "\" alt=\"\" loading=\"lazy\">\n";
    }
    card += "<h2>" + TitleMarkup(title, url) + "</h2>\n";
    std::string meta;
    for (const std::string *part : {&year, &genre, &running}) {
        if (part->empty() || (part == &year && !hasYear))
            continue;
        if (!meta.empty())
            meta += " · ";
        AppendEscaped(meta, *part);
    }
    if (!meta.empty())
        card += "<p class=\"meta\">" + meta + "</p>\n";
    if (!stars.empty()) {
        card += "<p class=\"stars\" title=\"";
        AppendEscaped(card, rating);
        card += "/10\">" + stars + "</p>\n";
    }
    for (const auto &[slot, text] :
         {std::pair{int(MovieDirector), &director}, std::pair{int(MovieActors), &actors}}) {
        if (text->empty())
            continue;
        card += "<p><b>";
        AppendEscaped(card, Utf8(Caption(slot)));
        card += ":</b> ";
        AppendEscaped(card, *text);
        card += "</p>\n";
    }
    if (!description.empty()) {
        card += "<details><summary>";
        AppendEscaped(card, Utf8(Caption(MovieDescription)));
        card += "</summary><p class=\"description\">";
        AppendEscaped(card, description);
        card += "</p></details>\n";
    }
    return out;
}

std::string THtmlPage::Add(const THumanTextRec &person, std::string_view photo)
{
    const auto slot = [&](int index) { return Utf8(person.Slots[index]); };
    const std::string name = slot(PersonName);
    const std::string url = slot(PersonUrl);
    const std::string birthday = DateOfDays(slot(PersonBirthday));
    const std::string rating = slot(PersonRating);
    const std::string stars = Stars(Number(rating));
    const std::string bio = slot(PersonBio);

    const int cells[] = {PersonTransName, PersonBirthday, PersonBirthplace, PersonCareer};
    m_rows += "<tbody>\n<tr><td>" + TitleMarkup(name, url) + "</td>";
    for (const int cell : cells) {
        m_rows += "<td>";
        AppendEscaped(m_rows, cell == PersonBirthday ? birthday : slot(cell));
        m_rows += "</td>";
    }
    m_rows += "<td data-value=\"" + std::to_string(Number(rating) > 0 ? Number(rating) : 0.0)
              + "\">" + stars + "</td></tr>\n</tbody>\n";

    std::string card = "<article class=\"card\">\n";
    if (photo.empty()) {
        card += "<div class=\"noposter\"></div>\n";
    } else {
        card += "<img src=\"";
        AppendEscaped(card, photo);
        card += "\" alt=\"\" loading=\"lazy\">\n";
    }
    card += "<h2>" + TitleMarkup(name, url) + "</h2>\n";
    for (const int cell : cells) {
        const std::string text = cell == PersonBirthday ? birthday : slot(cell);
        if (text.empty())
            continue;
        card += "<p><b>";
        AppendEscaped(card, Utf8(Caption(cell)));
        card += ":</b> ";
        AppendEscaped(card, text);
        card += "</p>\n";
    }
    if (!stars.empty())
        card += "<p class=\"stars\">" + stars + "</p>\n";
    if (!bio.empty()) {
        card += "<details><summary>";
        AppendEscaped(card, Utf8(Caption(PersonBio)));
        card += "</summary><p class=\"description\">";
        AppendEscaped(card, bio);
        card += "</p></details>\n";
    }
    return card + "</article>\n";
}

std::string DateOfDays(std::string_view days)
{
    const double serial = Number(days);
    if (!(serial >= 1 && serial < 2958466)) // 0100-01-01 .. 9999-12-31
        return {};
    // Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm).
    const long z = long(serial) - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[64];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
    return text;
}

std::string THtmlPage::Finish()
{
    std::string out = CloseCard();
    out += "</section>\n<section class=\"list\">\n<table>\n<thead><tr>";
    static constexpr int MovieColumns[] = {
        MovieTitle, MovieYear, MovieGenre, MovieDirector, MovieActors, MovieRating, MovieLength};
    static constexpr int PersonColumns[] = {
        PersonName, PersonTransName, PersonBirthday, PersonBirthplace, PersonCareer, PersonRating};
    for (const int slot :
         m_people ? std::span<const int>(PersonColumns) : std::span<const int>(MovieColumns)) {
        out += "<th><button type=\"button\">";
        AppendEscaped(out, Utf8(Caption(slot)));
        out += "</button></th>";
    }
    out += "</tr></thead>\n";
    out += m_rows;
    m_rows.clear();
    if (m_rowGroupOpen)
        out += "</tbody>\n";
    m_rowGroupOpen = false;
    out += "</table>\n</section>\n</main>\n";
    out += Script;
    out += "</body>\n</html>\n";
    return out;
}
