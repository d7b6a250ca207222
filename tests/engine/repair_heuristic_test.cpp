// The heuristic behind smart repair, on readings whose better one is known: case where Russian
// has none costs, and the letters that tell Russian from Bulgarian and Ukrainian tell them.
#include "engine/repair_heuristic.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/repair_search.h"

namespace cyrvert::detail {
namespace {

double Cost(const std::string& utf8) { return CostPerChar(TallyOfUtf8(utf8)); }

TEST(RepairHeuristicTest, AReadingInTheCaseRussianIsWrittenInCostsLess) {
  struct Case {
    const char* better;
    const char* worse;
  };
  const Case cases[] = {
      // Small letters over the same letters in capitals: the shift between cp-1251 and
      // ISO-8859-5 gives both, and only the case tells them apart.
      {"привет всем, завтра встречаемся у входа", "ПРИВЕТ ВСЕМ, ЗАВТРА ВСТРЕЧАЕМСЯ У ВХОДА"},
      {"Сегодня в Москве тепло. Завтра дождь.", "сЕГОДНЯ В мОСКВЕ ТЕПЛО. зАВТРА ДОЖДЬ."},
      {"Отчёт за октябрь", "ОтчЁт зА оКтЯбРь"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.better);
    EXPECT_LT(Cost(c.better), Cost(c.worse));
  }
}

TEST(RepairHeuristicTest, TellingLettersMakeRussianOrItsNeighbourClearlyTheLikelier) {
  struct Case {
    const char* text;
    bool russian;
  };
  const Case cases[] = {
      {"Съешь же ещё этих мягких французских булок, да выпей чаю", true},
      // No ы or э: ь and ё still mark Russian.
      {"СОХРАНИТЬ НАСТРОЙКИ ПО УМОЛЧАНИЮ ДЛЯ ВСЕХ ПАНЕЛЕЙ И ВКЛАДОК, А ЗАТЕМ ПЕРЕЗАПУСТИТЬ "
       "ПРОГРАММУ",
       true},
      {"Всё готово к отправке", true},
      // ъ before е, ё, ю or я is Russian's, not Bulgarian's.
      {"Список всех объектов сцены", true},
      // Over 300 letters without ы or э, but spelt as Russian.
      {"Функция ОКРУГЛ возвращает число, округлённое до заданного количества знаков. Функция "
       "ОТБР убирает дробную часть числа. Функция ЦЕЛОЕ округляет число вниз до ближайшего "
       "целого. Функция ОСТАТ возвращает остаток от деления одного числа на другое. Функция "
       "КОРЕНЬ возвращает корень из числа. Функция СТЕПЕНЬ возвращает результат возведения числа "
       "в степень. Функция ЗНАК возвращает знак числа.",
       true},
      // Bulgarian: ъ and no ы; Ukrainian: і, ї, є.
      {"Онази есен реката беше плитка и старият сал стоеше без работа до кея. Всяка "
       "сутрин рибарите минаваха покрай него към лодките си",
       false},
      {"Тієї осені річка обміліла, і старий пором стояв без діла біля причалу", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Tally t = TallyOfUtf8(c.text);
    EXPECT_EQ(ClearlyRussian(t), c.russian);
    EXPECT_EQ(MoreRussianThanNeighbour(t), c.russian);
  }
  // No telling letter at all: the spelling decides.
  struct Spelt {
    const char* text;
    bool russian;
  };
  const Spelt spelt[] = {
      {"ЗАГРУЗКА СПИСКА ПАКЕТОВ С СЕРВЕРА ПО ПРОТОКОЛУ HTTP И ПРОВЕРКА ПОДПИСЕЙ", true},
      {"Загрузка списка пакетов с сервера и проверка подписей", true},
      {"Извеждане на информация за файл или файлова система", false},
      {"Настройки на програмата за всички панели", false},
      // Under 20 letters the spelling says nothing, however Russian "пакет" reads.
      {"Настройки на пакетите", false},
      {"Пакетите са готови", false},
  };
  for (const Spelt& c : spelt) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ClearlyRussian(TallyOfUtf8(c.text)), c.russian);
  }
  // Short Ukrainian without і, ї or є, its ь as common as Russian's: not clearly Russian.
  for (const char* text : {"Параметри — служить для призначення будь-якого параметру",
                           "Стиль шрифту для файлових панелей"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ClearlyRussian(TallyOfUtf8(text)));
  }
}

}  // namespace
}  // namespace cyrvert::detail
