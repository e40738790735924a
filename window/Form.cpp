#include "Form.h"

#include "Convert.h"
#include "Errors.h"
#include "Start.h"

#include <utility>

namespace lumetra::window {

void Form::Form_Load()
{
    Canvas& c = canvas();
    c.Text(Box::nUhel, "45");
    c.Text(Box::nIndex, toText(1.7));
    c.Text(Box::nKmitočet, toText(0.75));
    c.Text(Box::nMaže, toText(0));
    c.Text(Box::nBarva, "Zelená");
    select("opUhel45");
    select("opSklo");
    select("opZelená");
    c.Text(Box::nKlepnuto, toText(0));
    select("opRychlá");
    c.Text(Box::nSpomalení, toText(1));
}

void Form::select(std::string_view option)
{
    const auto was = check(option);
    if (!was)
        throw Failure("Ovládací prvek " + std::string(option) + " v okně chybí.");
    if (!*was)
        if (const Handler handler = handlerOf(option))
            (this->*handler)();
}

void Form::cmdStart_Click() { sim::startRun(canvas(), runObserver(), &lastSweep_); }
void Form::cmdKonec_Click() { unload(); }
void Form::HScroll1_Change() { canvas().Text(Box::nSpomalení, toText(scrollValue())); }

void Form::opUhel45_Click() { canvas().Text(Box::nUhel, "45"); }
void Form::opUhel90_Click() { canvas().Text(Box::nUhel, "90"); }

void Form::opVzduch_Click()
{
    Canvas& c = canvas();
    c.Text(Box::nIndex, toText(1));
    c.Visible(Box::nVzduchSklo, true);
    c.Visible(Box::nSklo, false);
    c.Text(Box::nKlepnuto, toText(1));
}

void Form::opSklo_Click()
{
    Canvas& c = canvas();
    c.Text(Box::nIndex, toText(1.7));
    c.Visible(Box::nVzduchSklo, false);
    c.Visible(Box::nSklo, true);
    c.Text(Box::nKlepnuto, toText(1));
}

void Form::opČervená_Click()
{
    canvas().Text(Box::nKmitočet, toText(0.5));
    canvas().Text(Box::nBarva, "Červená");
}

void Form::opZelená_Click()
{
    canvas().Text(Box::nKmitočet, toText(0.75));
    canvas().Text(Box::nBarva, "Zelená");
}

void Form::opModrá_Click()
{
    canvas().Text(Box::nKmitočet, toText(1));
    canvas().Text(Box::nBarva, "Modrá");
}

void Form::opRychlá_Click() { canvas().Text(Box::nSpomalení, toText(1)); }
void Form::opPomalejší_Click() { canvas().Text(Box::nSpomalení, toText(10000)); }
void Form::opPomalá_Click() { canvas().Text(Box::nSpomalení, toText(20000)); }

Form::Handler Form::handlerOf(std::string_view name)
{
    static constexpr std::pair<std::string_view, Handler> handlers[] = {
        {"Lumetrafrm", &Form::Form_Load},      {"cmdStart", &Form::cmdStart_Click},
        {"cmdKonec", &Form::cmdKonec_Click},   {"HScroll1", &Form::HScroll1_Change},
        {"opUhel45", &Form::opUhel45_Click},   {"opUhel90", &Form::opUhel90_Click},
        {"opVzduch", &Form::opVzduch_Click},   {"opSklo", &Form::opSklo_Click},
        {"opČervená", &Form::opČervená_Click}, {"opZelená", &Form::opZelená_Click},
        {"opModrá", &Form::opModrá_Click},     {"opRychlá", &Form::opRychlá_Click},
        {"opPomalejší", &Form::opPomalejší_Click}, {"opPomalá", &Form::opPomalá_Click},
    };
    for (const auto& [option, handler] : handlers)
        if (option == name)
            return handler;
    return nullptr;
}

} // namespace lumetra::window
