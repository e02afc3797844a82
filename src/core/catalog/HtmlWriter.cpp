// The HTML page: everything in one file (styles and script inline), so that it opens from the
// disk, from a CD or from a web server alike.
#include "core/catalog/CatalogText.h"
#include "core/catalog/CatalogWriters.h"
#include "core/catalog/DescriptionBody.h"

#include <ctime>

namespace korvel::catalog {
namespace {

constexpr std::string_view kStyle = R"(
body{font-family:sans-serif;margin:0;background:#f4f4f0;color:#222}
header{position:sticky;top:0;background:#1a2a5a;color:#fff;padding:.6em 1em;z-index:1}
header h1{font-size:1.2em;margin:0 0 .3em 0}
#search{font-size:1em;width:28em;max-width:70%;padding:.2em .4em}
#count{margin-left:1em}
nav{padding:.5em 1em;columns:18em;font-size:.9em}
nav h2{font-size:1em;margin:.2em 0;column-span:all}
nav ol{margin:0;padding-left:2em}
main{padding:0 1em 2em 1em}
section.entry{margin:1em 0;background:#fff;border:1px solid #ccd;padding:.4em .8em}
section.entry h2{font-size:1em;margin:.2em 0;font-family:monospace}
p.meta{margin:.2em 0;color:#555;font-size:.85em}
p.note{margin:.3em 0;color:#a00;font-style:italic}
pre.diz{background:#000;color:#aaa;padding:.5em;margin:.3em 0;overflow-x:auto;line-height:1.15;
font-family:"DejaVu Sans Mono","Liberation Mono",monospace;white-space:pre;display:inline-block;min-width:40em}
[hidden]{display:none!important}
)";

// The search box: every word typed must appear in the archive's name or description (letter
// case ignored). "#search=words" in the address fills it in when the page opens.
constexpr std::string_view kScript = R"(
(function(){
  var box=document.getElementById('search'), count=document.getElementById('count');
  var entries=[].slice.call(document.querySelectorAll('section.entry')).map(function(s){
    return {section:s, toc:document.getElementById('t'+s.id.substring(1)), text:s.textContent.toLowerCase()};
  });
  function filter(){
    var words=box.value.toLowerCase().split(/\s+/).filter(function(w){return w.length>0;});
    var shown=0;
    entries.forEach(function(e){
      var hit=words.every(function(w){return e.text.indexOf(w)>=0;});
      e.section.hidden=!hit; if(e.toc) e.toc.hidden=!hit; if(hit) shown++;
    });
    count.textContent=words.length? shown+' of '+entries.length+' archives':entries.length+' archives';
  }
  window.korvelSearch=function(text){box.value=text;filter();};
  box.addEventListener('input',filter);
  var m=/^#search=(.*)$/.exec(location.hash);
  if(m) box.value=decodeURIComponent(m[1]);
  filter();
})();
)";

std::string shortDate(std::int64_t mtimeNs) {
    const std::time_t t = static_cast<std::time_t>(mtimeNs / 1000000000);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%m/%d/%Y %H:%M", &tm);
    return buf;
}

std::string groupedSize(std::uint64_t n) {
    std::string s = std::to_string(n), out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i && (s.size() - i) % 3 == 0)
            out += ',';
        out += s[i];
    }
    return out;
}

} // namespace

std::string writeHtml(const std::vector<CatalogEntry>& entries, const WriteOptions& o) {
    const auto toHtml = o.text.toHtml
                            ? o.text.toHtml
                            : std::function<std::string(std::string_view)>(
                                  [&](std::string_view text) { return ansiToHtml(text, o.text.toUtf8); });
    const std::string css = o.text.toHtml ? o.text.css : ansiPaletteCss();
    std::size_t described = 0;
    for (const auto& e : entries)
        described += e.finding.status == FindStatus::Found;

    const std::string title = htmlEscape(nameToUtf8(o.title));
    std::string out;
    out.reserve(entries.size() * 1024 + 4096);
    out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
           "</title>\n";
    out += "<meta name=\"generator\" content=\"Korvel\">\n<style>";
    out += kStyle;
    out += css;
    out += "</style>\n</head>\n<body>\n<header>\n<h1>" + title + "</h1>\n";
    out += "<input id=\"search\" type=\"search\" placeholder=\"Search names and descriptions\" "
           "aria-label=\"Search\" autofocus><span id=\"count\">" +
           std::to_string(entries.size()) + " archives</span>\n";
    out += "<p class=\"summary\">" + std::to_string(entries.size()) + " archives, " +
           std::to_string(described) + " with a description</p>\n</header>\n";
    out += "<nav id=\"toc\"><h2>Contents</h2>\n<ol>\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string id = std::to_string(i);
        out += "<li id=\"t" + id + "\"><a href=\"#a" + id + "\">" +
               htmlEscape(nameToUtf8(entries[i].file.name)) + "</a></li>\n";
    }
    out += "</ol></nav>\n<main>\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CatalogEntry& e = entries[i];
        out += "<section class=\"entry\" id=\"a" + std::to_string(i) + "\">\n<h2>" +
               htmlEscape(nameToUtf8(e.file.name)) + "</h2>\n";
        out += "<p class=\"meta\">" + groupedSize(e.file.size) + " bytes &middot; " +
               shortDate(e.file.mtimeNs) + " &middot; " + htmlEscape(e.file.format);
        if (e.finding.status == FindStatus::Found)
            out += " &middot; " + htmlEscape(nameToUtf8(e.finding.member));
        out += "</p>\n";
        if (e.finding.status == FindStatus::Found) {
            const DescriptionBody body = descriptionBody(e.finding.bytes);
            if (body.sauce && !body.sauce->title.empty())
                out += "<p class=\"meta\">" + htmlEscape(o.text.toUtf8(body.sauce->title)) +
                       (body.sauce->author.empty() ? ""
                                                   : " by " + htmlEscape(o.text.toUtf8(body.sauce->author))) +
                       "</p>\n";
            out += "<pre class=\"diz\">" + toHtml(body.text) + "</pre>\n";
        } else {
            out += "<p class=\"note\">" + htmlEscape(nameToUtf8(statusNote(e.finding))) + "</p>\n";
        }
        out += "</section>\n";
    }
    out += "</main>\n<script>";
    out += kScript;
    out += "</script>\n</body>\n</html>\n";
    return out;
}

} // namespace korvel::catalog
