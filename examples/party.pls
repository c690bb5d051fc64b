[playlist]
File1=/home/anna/Musik/Die Ärzte - Schrei nach Liebe.mp3
Title1=Die Ärzte - Schrei nach Liebe
Length1=246
File2=/home/anna/Musik/Herbert Grönemeyer - Mensch.mp3
Title2=Herbert Grönemeyer - Mensch
Length2=235
File3=/home/anna/Musik/Kraftwerk - Das Model.ogg
Title3=Kraftwerk - Das Model.ogg
Length3=220
File4=http://radio.example.org/stream
Title4=[Radio] Frühstücksradio
Length4=-1
NumberOfEntries=4
Version=2
