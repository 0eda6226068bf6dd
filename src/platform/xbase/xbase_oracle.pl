#!/usr/bin/perl
# Independent reader for the engine's tests: Perl's XBase module reads a
# table field by field and walks one of its NTX indexes. Prints
#   R <recno> <deleted 0/1> <field>=<value> ...   one line per record
#   K <recno> <key>                               one line per index entry, in index order
# Character values lose trailing blanks, numbers print with four decimals,
# dates as yyyymmdd, logicals as T/F.
use strict;
use warnings;
use XBase;
use XBase::Index;

my ($dbf, $ntx) = @ARGV;
binmode STDOUT;
my $table = XBase->new(name => $dbf, ignorememo => 1) or die XBase->errstr;
my @names = $table->field_names;
my @types = $table->field_types;
for my $i (0 .. $table->last_record) {
    my ($deleted, @values) = $table->get_record($i);
    die $table->errstr unless defined $deleted;
    my @out;
    for my $f (0 .. $#names) {
        my $v = $values[$f];
        my $t = $types[$f];
        if ($t eq 'N') { $v = sprintf('%.4f', defined $v ? $v : 0) }
        elsif ($t eq 'L') { $v = $v ? 'T' : 'F' }
        else { $v = '' unless defined $v; $v =~ s/ +$//; }
        push @out, "$names[$f]=$v";
    }
    print 'R ', $i + 1, ' ', ($deleted ? 1 : 0), ' ', join('|', @out), "\n";
}
if (defined $ntx) {
    my $index = XBase::Index->new($ntx, type => 'C') or die XBase::Index->errstr;
    $index->prepare_select;
    while (my ($key, $recno) = $index->fetch) {
        print "K $recno $key\n";
    }
}
